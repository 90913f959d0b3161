#include "runtime/runtime_selection_prompt.h"

#include "settings/messages.h"
#include "settings/requirement_text.h"

Text runtimeSelectionPrompt(JvmType type, const JavaVersion& minimum, const JavaVersion& maximum) {
    const unsigned id = type == JvmType::ServerOnly ? kMsgSelectServerRuntime : kMsgSelectRuntime;
    return formatMessageId(id, {requirementText(minimum, maximum)});
}
