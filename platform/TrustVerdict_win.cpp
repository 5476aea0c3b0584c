#include "platform/TrustVerdict.h"

#include <windows.h>

#include <softpub.h>
#include <wintrust.h>

#include "platform/Win32Text.h"

namespace platform {

namespace {

using WinVerifyTrustFunction = LONG(WINAPI*)(HWND, GUID*, LPVOID);

// WinVerifyTrust of the system's wintrust.dll, looked up once; null when
// there is none.
WinVerifyTrustFunction WinVerifyTrustOfSystem() {
    static const auto function = reinterpret_cast<WinVerifyTrustFunction>(
        win::SystemLibraryFunction(L"wintrust.dll", "WinVerifyTrust"));
    return function;
}

} // namespace

std::optional<TrustVerdict> SystemTrustVerdict(const std::string& path) {
    const WinVerifyTrustFunction verify = WinVerifyTrustOfSystem();
    if (verify == nullptr) {
        return std::nullopt;
    }
    const std::wstring widePath = win::Widen(path);
    WINTRUST_FILE_INFO file{};
    file.cbStruct = sizeof file;
    file.pcwszFilePath = widePath.c_str();
    WINTRUST_DATA data{};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const LONG result = verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);

    TrustVerdict verdict;
    switch (static_cast<HRESULT>(result)) {
    case ERROR_SUCCESS:
        verdict.kind = TrustVerdict::Kind::Trusted;
        break;
    case TRUST_E_NOSIGNATURE:
    case TRUST_E_SUBJECT_FORM_UNKNOWN:
    case TRUST_E_PROVIDER_UNKNOWN:
        verdict.kind = TrustVerdict::Kind::NotSigned;
        break;
    case TRUST_E_BAD_DIGEST:
        verdict.kind = TrustVerdict::Kind::Changed;
        break;
    case CERT_E_UNTRUSTEDROOT:
    case CERT_E_CHAINING:
    case CERT_E_EXPIRED:
    case CERT_E_UNTRUSTEDTESTROOT:
    case TRUST_E_EXPLICIT_DISTRUST:
    case CERT_E_WRONG_USAGE:
        verdict.kind = TrustVerdict::Kind::NotTrusted;
        verdict.reason = win::ErrorText(static_cast<DWORD>(result));
        break;
    default:
        verdict.kind = TrustVerdict::Kind::Unreadable;
        verdict.reason = win::ErrorText(static_cast<DWORD>(result));
        break;
    }
    return verdict;
}

} // namespace platform
