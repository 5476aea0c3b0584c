#include "zip/TZip.h"

#include <utility>

#include "platform/DynamicLibrary.h"
#include "zip/TProgressForm.h"

TZip::TZip(ui::Component* owner, std::string name, const TZipServices& services)
    : ui::Component(owner, std::move(name)), m_app(services.app),
      m_engineName(services.engineName.empty() ? platform::EngineLibraryName()
                                                : services.engineName),
      m_enginePaths(services.engineName.empty() ? platform::EngineLibraryPaths()
                                                 : std::vector<std::string>{services.engineName}),
      m_volumes(services.volumes),
      m_names(services.oemCodePage, services.ansiCodePage) {
    // Setting the archive path opens or even creates a file, so no stored
    // member may be reachable as text (translation files set text
    // properties by name).
    for (const char* property :
         {"ArchiveFileName", "ExtractBaseFolder", "ExtractOptions", "ShowProgressDialog",
          "FileSpecs", "OnContentsChanged", "OnZEDBeginFileEvent", "OnZEDProgressEvent",
          "OnZEDEndBatchEvent", "OnMergeProgress", "OnSpanProgress"}) {
        PublishOther(property);
    }
}

TZip::~TZip() {
    ProgressDialog.reset();
    UnloadEngine();
}
