#include "runtime/requirement_text.h"

#include "texts/messages.h"

Text requirementText(const JavaVersion& minimum, const JavaVersion& maximum) {
    const bool hasMinimum = !minimum.isUnset();
    const bool hasMaximum = !maximum.isUnset();
    if (!hasMinimum && !hasMaximum) return formatMessageId(kMsgRequireAny, {});
    if (!hasMinimum) return formatMessageId(kMsgRequireAtMost, {maximum.format()});
    if (!hasMaximum) return formatMessageId(kMsgRequireAtLeast, {minimum.format()});
    if (minimum == maximum) return formatMessageId(kMsgRequireExactly, {minimum.format()});
    return formatMessageId(kMsgRequireRange, {minimum.format(), maximum.format()});
}
