#include "engine/EntryData.h"

#include <algorithm>

#include "engine/Crc32.h"

namespace engine {

EntryData::EntryData(ByteSource& source)
    : m_source(source), m_input(kInputBuffer), m_output(kOutputBuffer) {}

EntryData::Result EntryData::Extract(const DataPlan& plan, OutputFile& output,
                                     const std::function<bool(std::uint64_t)>& progress,
                                     std::string& message) {
    Decoder& decoder = *plan.decoder;
    decoder.Reset(plan.size, plan.uncompressedSize);
    std::uint64_t read = 0;
    std::uint64_t written = 0;
    std::uint32_t crc = 0;
    std::size_t inputUsed = 0;
    std::size_t inputHeld = 0;
    bool ended = false;
    std::string damage;

    while (!ended && damage.empty()) {
        if (inputUsed == inputHeld && read < plan.size) {
            std::size_t want =
                static_cast<std::size_t>(std::min<std::uint64_t>(kInputBuffer, plan.size - read));
            if (!m_source.ReadExactly(plan.start + read, m_input.data(), want)) {
                message = m_source.Error().empty() ? "the archive ends early" : m_source.Error();
                return Result::ReadFailed;
            }
            if (plan.decryptor != nullptr) {
                plan.decryptor->Decrypt(m_input.data(), want);
            }
            read += want;
            inputUsed = 0;
            inputHeld = want;
        }
        bool lastInput = read == plan.size;
        std::size_t produced = 0;
        std::size_t outputHeld = 0;
        // Fills the output buffer, feeding input as it is used up.
        while (outputHeld < m_output.size()) {
            std::size_t consumed = 0;
            Decoder::Status status = decoder.Decode(
                m_input.data() + inputUsed, inputHeld - inputUsed, lastInput,
                m_output.data() + outputHeld, m_output.size() - outputHeld, consumed, produced);
            inputUsed += consumed;
            outputHeld += produced;
            if (status == Decoder::Status::End) {
                ended = true;
                break;
            }
            if (status == Decoder::Status::Error) {
                damage = decoder.ErrorText();
                break;
            }
            if (inputUsed == inputHeld) {
                if (lastInput && consumed == 0 && produced == 0) {
                    damage = "the compressed data ends early";
                }
                break;
            }
            if (consumed == 0 && produced == 0) {
                damage = decoder.ErrorText();
                break;
            }
        }
        std::size_t keep = outputHeld;
        if (written + keep > plan.uncompressedSize) {
            keep = static_cast<std::size_t>(plan.uncompressedSize - written);
            damage = "the data is larger than its stated size";
        }
        if (keep > 0) {
            crc = Crc32(crc, m_output.data(), keep);
            if (!output.Write(m_output.data(), keep, message)) {
                return Result::WriteFailed;
            }
            written += keep;
        }
        if (!progress(keep)) {
            return Result::Stopped;
        }
    }
    if (!damage.empty()) {
        message = damage;
        return Result::Damaged;
    }
    if (written != plan.uncompressedSize) {
        message = "the data is smaller than its stated size";
        return Result::Damaged;
    }
    if (plan.checkCrc && crc != plan.crc) {
        message = "CRC error";
        return Result::Damaged;
    }
    return Result::Complete;
}

} // namespace engine
