#include "folder/application_folder.h"

#include "folder/folder_plan.h"
#include "folder/folder_writer.h"
#include "folder/launcher_plan.h"
#include "project/project_settings.h"
#include "installer/installer_options.h"
#include "texts/text_codec.h"

// Each step checks or plans a part of the folder from what the steps before it returned; only the
// last one writes.
bool buildApplication(const BuildRequest& request, std::vector<std::string>& notes, std::string& error) {
    notes.clear();
    AppProject project;
    if (!readProject(request.project, project, error)) return false;
    if (!request.launchers.empty()) project.package.widths = request.launchers;
    const std::string where = utf8Of(request.project) + ": ";

    SigningSettings signing;
    if (!project.signing.empty() &&
        !readSigningSection(project.signing.front(), request.project.parent_path(), where, signing, error))
        return false;
    LauncherStubs stubs;
    FolderPlan plan;
    MainClassFound found;
    if (!readStubs(request, project.package, where, stubs, error) || !planInputs(project.package, plan, error) ||
        !settleMainClass(project, plan, where, found, notes, error) || !planRuntimes(project, plan, error) ||
        !planSplash(project, where, plan, error) ||
        !settleClassPath(project, plan, found.target, where, notes, error) ||
        !planServiceScripts(project, where, plan, notes, error))
        return false;
    const bool service = settingOf(project.settings, Setting::ApplicationType) == L"service";
    if (!checkInstallerOptions(project.package.installer, service, where, error)) return false;

    Text upgradeCode;
    return planLaunchers({request, project, stubs, where}, plan.files, upgradeCode, notes, error) &&
           writeFolder({request, project, signing, where}, plan.files, upgradeCode, notes, error);
}
