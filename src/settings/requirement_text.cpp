#include "settings/requirement_text.h"

#include "app/launcher_app.h"
#include "settings/messages.h"

Text requirementText(const LauncherApp&) {
    // Version bounds are not read yet, so every runtime version is acceptable.
    return formatMessageId(kMsgRequireAny, {});
}
