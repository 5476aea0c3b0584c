#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

class TZip;

// Reads an installation medium the way the wizard will and lists what a
// customer would meet: the program and the unzip engine beside it, the
// translation files of the language list, "VG_Setup.ini", the two archives
// (opened by the archive component and extracted through the engine into a
// temporary folder that is removed afterwards), the library files, the
// manuals and the reader installer.
//
// Everything is read through the wizard's own units (the INI reader, the
// translation catalogue, the window's components, the archive component,
// the engine), so what passes here is what the wizard accepts. Nothing on
// the medium is written or created.
class MediumCheck {
public:
    struct Finding {
        enum class Kind { Ok, Note, Problem };
        Kind kind;
        std::string text;
    };

    // `folder` is the medium: the folder that holds the program.
    explicit MediumCheck(std::string folder);
    ~MediumCheck();
    MediumCheck(const MediumCheck&) = delete;
    MediumCheck& operator=(const MediumCheck&) = delete;

    // Runs every check, in the order above. Each problem is one finding that
    // names the file and what to do.
    std::vector<Finding> Run();

private:
    struct Context;

    void CheckProgramAndEngine();
    void CheckTranslations();
    void CheckTranslationFile(const std::string& fileName, const std::string& languages);
    void CheckSettings();
    void CheckArchive(const std::string& fileName, const std::string& landsIn);
    // Names of the opened archive that the wizard would write under other
    // names: UTF-8 stored without its mark in an archive of DOS names.
    void CheckEntryNames(const std::string& fileName, const TZip& zip);
    void CheckLibraries();
    // On a Windows medium: who signed setup.exe and each library, and
    // whether each signature still matches its file.
    void CheckSignatures();
    void CheckManuals();

    void Ok(std::string text);
    void Note(std::string text);
    void Problem(std::string text);
    std::string PathOf(const std::string& relative) const;

    std::string m_folder;
    std::unique_ptr<Context> m_context;
    bool m_engineUsable = false;
    std::vector<Finding> m_findings;
};

// The command line of vg-medium-check: `args` without the program name.
// Writes the findings and a summary to `out`; returns 0 when the medium would
// install cleanly, 1 when it has a problem, 2 for a usage error.
int RunMediumCheck(const std::vector<std::string>& args, std::ostream& out);
