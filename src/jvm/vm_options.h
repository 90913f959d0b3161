// The VM options from the settings: the class path, the VM parameters, and the output, error and
// "Cmd" settings that later steps use.
//
//   assembleVmOptions(settings, session);   // reads the layered settings
#pragma once

#include "jvm/class_path.h"
#include "jvm/java_session.h"
#include "jvm/memory_share.h"
#include "jvm/vm_option_settings.h"
#include "support/text.h"

// Builds the VM options from the layered settings; false when the settings file path cannot be
// formed or the class path is empty (message 209): the launch then ends without creating the
// runtime. An option the runtime may refuse is no failure here.
bool assembleVmOptions(const VmOptionSettings& settings, JavaSession& session);

class IniStore;

// The file-system side of class-path assembly: FileSearch, environment expansion, short forms.
class SystemClassPath : public ClassPathSystem {
public:
    Text expandEnvironment(const Text& text) const override;
    void findMatches(const Text& searchName, TextList& names) const override;
    Text narrowSafePath(const Text& path) const override;
};

// The memory status of this process, as its build sees it.
MemoryFigures currentMemoryFigures();

// What assembly reads besides the settings.
struct VmOptionSources {
    Text exePath;  // the executable's full path; its folder anchors relative class-path entries
    MemoryFigures memory;
    MemoryArithmetic arithmetic = kBuildArithmetic;
};

// Appends the class-path option and the VM parameters to session.vmOptions and fills the output,
// error and stack-size fields and adds the "Cmd" words to session.mainArguments. An empty class path
// shows message 209 and returns false with nothing changed.
bool assembleVmOptionsFrom(const VmOptionSettings& settings, const IniStore& store, const VmOptionSources& sources,
                           const ClassPathSystem& system, JavaSession& session);
