#include "app/SetupRun.h"

#include "app/TForm1.h"
#include "platform/FileSystem.h"
#include "ui/Application.h"

namespace {

ExitCode RunUnattended(ui::Application& app, TForm1& form) {
    // The window (drawn in a passive run only) appears on its progress page:
    // Start turns the page before anything is painted.
    form.Show();
    if (!form.btnStart.Enabled()) {
        // No language could be loaded: the error box's answer above says why.
        form.AddLogLine("The installation did not start: no language could be chosen.");
        app.HandleEvent([&form] { form.SaveLog(); });
        form.Close();
        return ExitCode::InstallationFailed;
    }
    form.btnStart.Click();
    if (form.btnFinish.Visible()) {
        form.btnFinish.Click();
    } else {
        // Stopped on an error or closed during the run: a deployment tool
        // still gets the log that says why.
        app.HandleEvent([&form] { form.SaveLog(); });
    }
    if (!form.Closed()) {
        form.Close();
    }
    return form.Outcome();
}

} // namespace

ExitCode RunSetup(ui::Application& app, TForm1& form, const SetupOptions& options) {
    // Made absolute now: extracting an archive changes the current folder.
    form.LogCopyPath = platform::AbsolutePath(options.logPath);
    app.CreateForm(form);
    if (!options.regionCode.empty()) {
        form.ChooseLanguage(options.regionCode);
    }
    if (options.mode == RunMode::Interactive) {
        app.Run();
        return form.Outcome();
    }
    return RunUnattended(app, form);
}
