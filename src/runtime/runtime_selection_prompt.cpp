#include "runtime/runtime_selection_prompt.h"

#include "runtime/requirement_text.h"
#include "settings/settings_paths.h"
#include "texts/messages.h"

Text runtimeSelectionPrompt(JvmType type, const JavaVersion& minimum, const JavaVersion& maximum) {
    const unsigned id = type == JvmType::ServerOnly ? kMsgSelectServerRuntime : kMsgSelectRuntime;
    return formatMessageId(id, {requirementText(minimum, maximum)});
}

Text promptWithoutDialog(const Text& prompt) {
    Text besideIni;
    settingsFilePath(besideIni);
    Text text(prompt, 0, prompt.find(L"\n\n"));
    const Text naming = formatMessageId(kMsgNameRuntime, {besideIni});
    return naming.empty() ? text : text.append(L"\n\n").append(naming);
}
