#include "jvm/java_strings.h"

#include <climits>
#include <cstring>

#include "jni/local_refs.h"

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

void appendCodePoint(std::u16string& units, char32_t point) {
    if (point >= 0x10000) {
        point -= 0x10000;
        units += static_cast<char16_t>(0xD800 + (point >> 10));
        units += static_cast<char16_t>(0xDC00 + (point & 0x3FF));
    } else {
        units += static_cast<char16_t>(point);
    }
}

}  // namespace

std::u16string toUtf16Units(const Text& text) {
    std::u16string units;
    units.reserve(text.size());
    for (wchar_t c : text) {
        if constexpr (sizeof(wchar_t) == 2) {
            units += static_cast<char16_t>(c);
        } else {
            const auto point = static_cast<char32_t>(c);
            appendCodePoint(units, point > 0x10FFFF ? kReplacement : point);
        }
    }
    return units;
}

Text fromUtf16Units(const std::u16string& units) {
    Text text;
    text.reserve(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        if constexpr (sizeof(wchar_t) == 2) {
            text += static_cast<wchar_t>(unit);
        } else {
            // A surrogate pair is one code point here; a lone surrogate stays as it is.
            const bool pair = unit >= 0xD800 && unit < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
                              units[i + 1] < 0xE000;
            if (pair) {
                text += static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00));
                ++i;
            } else {
                text += static_cast<wchar_t>(unit);
            }
        }
    }
    return text;
}

Text fromModifiedUtf8(const char* bytes) {
    std::u16string units;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    const size_t length = std::strlen(bytes);
    size_t i = 0;
    while (i < length) {
        const unsigned char lead = p[i];
        int extra = 0;
        char32_t point = 0;
        if (lead < 0x80) {
            point = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            point = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            point = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            point = lead & 0x07;
        } else {
            units += kReplacement;
            ++i;
            continue;
        }
        int taken = 0;
        while (taken < extra && i + 1 + taken < length && isContinuation(p[i + 1 + taken])) {
            point = (point << 6) | (p[i + 1 + taken] & 0x3F);
            ++taken;
        }
        if (taken < extra || point > 0x10FFFF) {
            units += kReplacement;
            i += 1 + taken;
            continue;
        }
        // Modified UTF-8 carries each surrogate of a pair as its own three-byte sequence: keep the units.
        appendCodePoint(units, point);
        i += 1 + extra;
    }
    return fromUtf16Units(units);
}

jstring newJavaString(JNIEnv* env, const Text& text) {
    const std::u16string units = toUtf16Units(text);
    if (units.size() > static_cast<size_t>(INT_MAX)) return nullptr;
    const auto length = static_cast<jsize>(units.size());

    LocalRefs refs(env);
    jclass stringClass = refs.keep(env->FindClass("java/lang/String"));
    if (!stringClass) return nullptr;
    jmethodID constructor = env->GetMethodID(stringClass, "<init>", "([C)V");
    jcharArray chars = constructor ? refs.keep(env->NewCharArray(length)) : nullptr;
    if (!chars) return nullptr;
    if (length > 0) env->SetCharArrayRegion(chars, 0, length, reinterpret_cast<const jchar*>(units.data()));
    if (env->ExceptionCheck()) return nullptr;
    return static_cast<jstring>(env->NewObject(stringClass, constructor, chars));
}

jobjectArray newJavaStringArray(JNIEnv* env, const TextList& list) {
    if (list.size() > static_cast<size_t>(INT_MAX)) return nullptr;
    LocalRefs refs(env);
    jclass stringClass = refs.keep(env->FindClass("java/lang/String"));
    if (!stringClass) return nullptr;
    jobjectArray array = refs.keep(env->NewObjectArray(static_cast<jsize>(list.size()), stringClass, nullptr));
    if (!array) return nullptr;
    for (size_t i = 0; i < list.size(); ++i) {
        LocalRefs elementRefs(env);  // one element alive at a time, however long the list
        jstring element = elementRefs.keep(newJavaString(env, list[i]));
        if (!element) return nullptr;
        env->SetObjectArrayElement(array, static_cast<jsize>(i), element);
    }
    return refs.release(array);
}
