// The JNIEnv function table. Every slot a launcher may call is implemented; each other slot records
// its index and aborts, so a launcher that strays is caught instead of getting a quiet wrong answer.
#include <cstdarg>
#include <cstring>
#include <string>
#include <utility>

#include "jni_table.h"
#include "objects.h"
#include "record.h"
#include "vm_state.h"

namespace standin {

namespace {

Object* object(jobject handle) { return reinterpret_cast<Object*>(handle); }
jobject handle(Object* value) { return reinterpret_cast<jobject>(value); }

ClassInfo* classOf(jclass cls) {
    Object* value = object(cls);
    if (!value || value->kind != Kind::Class) failLoudly("jni-misuse", "not a class object");
    return value->describes;
}

MethodInfo* methodOf(jmethodID id) {
    if (!id) failLoudly("jni-misuse", "null method id");
    return reinterpret_cast<MethodInfo*>(id);
}

// The parameter types of a method signature, one letter each ("L" and "[" for references).
std::string parameterKinds(const std::string& signature) {
    std::string kinds;
    size_t i = 1;
    while (i < signature.size() && signature[i] != ')') {
        const char c = signature[i];
        if (c == '[') {
            while (i < signature.size() && signature[i] == '[') ++i;
            if (i < signature.size() && signature[i] == 'L') i = signature.find(';', i);
            kinds += 'L';
        } else if (c == 'L') {
            i = signature.find(';', i);
            kinds += 'L';
        } else {
            kinds += c;
        }
        if (i == std::string::npos) failLoudly("jni-misuse", "bad signature " + signature);
        ++i;
    }
    return kinds;
}

std::vector<jvalue> argumentsFrom(const MethodInfo& method, va_list list) {
    std::vector<jvalue> args;
    for (char kind : parameterKinds(method.signature)) {
        jvalue value{};
        switch (kind) {
            case 'Z': value.z = static_cast<jboolean>(va_arg(list, int)); break;
            case 'B': value.b = static_cast<jbyte>(va_arg(list, int)); break;
            case 'C': value.c = static_cast<jchar>(va_arg(list, int)); break;
            case 'S': value.s = static_cast<jshort>(va_arg(list, int)); break;
            case 'I': value.i = va_arg(list, jint); break;
            case 'J': value.j = va_arg(list, jlong); break;
            case 'F': value.f = static_cast<jfloat>(va_arg(list, double)); break;
            case 'D': value.d = va_arg(list, double); break;
            default: value.l = va_arg(list, jobject); break;
        }
        args.push_back(value);
    }
    return args;
}

std::vector<jvalue> argumentsFrom(const MethodInfo& method, const jvalue* array) {
    const size_t count = parameterKinds(method.signature).size();
    return array ? std::vector<jvalue>(array, array + count) : std::vector<jvalue>(count);
}

jvalue invoke(JNIEnv* env, Object* self, MethodInfo& method, std::vector<jvalue> args, bool asStatic) {
    if (method.isStatic != asStatic) failLoudly("jni-misuse", "static/instance mismatch calling " + method.name);
    if (!asStatic && !self) failLoudly("jni-misuse", "null receiver calling " + method.name);
    if (pendingException()) record("jni-warning", "call with an exception pending: " + method.name);
    Call call;
    call.env = env;
    call.method = &method;
    call.self = self;
    call.args = std::move(args);
    return method.body(call);
}

// --- class, method and object functions ---

jint JNICALL getVersion(JNIEnv*) { return JNI_VERSION_10; }

jclass JNICALL findClass(JNIEnv*, const char* name) {
    record("find-class", name ? name : "<null>");
    ClassInfo* info = name ? findClassInfo(name) : nullptr;
    if (!info) {
        throwNew("java/lang/NoClassDefFoundError", name ? name : "<null>");
        return nullptr;
    }
    return reinterpret_cast<jclass>(info->classObject);
}

jclass JNICALL getObjectClass(JNIEnv*, jobject value) {
    if (!value) failLoudly("jni-misuse", "GetObjectClass of null");
    return reinterpret_cast<jclass>(object(value)->classInfo->classObject);
}

jboolean JNICALL isInstanceOf(JNIEnv*, jobject value, jclass cls) {
    if (!value) return JNI_TRUE;
    return derivesFrom(object(value)->classInfo, classOf(cls)) ? JNI_TRUE : JNI_FALSE;
}

jmethodID lookUp(jclass cls, const char* name, const char* signature, bool isStatic) {
    MethodInfo* method = findMethod(classOf(cls), name, signature, isStatic);
    if (!method) throwNew("java/lang/NoSuchMethodError", std::string(name) + signature);
    return reinterpret_cast<jmethodID>(method);
}

jmethodID JNICALL getMethodId(JNIEnv*, jclass cls, const char* name, const char* signature) {
    return lookUp(cls, name, signature, false);
}

jmethodID JNICALL getStaticMethodId(JNIEnv*, jclass cls, const char* name, const char* signature) {
    return lookUp(cls, name, signature, true);
}

jobject construct(JNIEnv* env, jclass cls, jmethodID id, std::vector<jvalue> args) {
    ClassInfo* info = classOf(cls);
    MethodInfo& method = *methodOf(id);
    if (method.name != "<init>") failLoudly("jni-misuse", "NewObject with " + method.name);
    Object* created = newObjectOf(info, kindOf(info));
    invoke(env, created, method, std::move(args), false);
    return pendingException() ? nullptr : handle(created);
}

jobject JNICALL newObjectV(JNIEnv* env, jclass cls, jmethodID id, va_list list) {
    return construct(env, cls, id, argumentsFrom(*methodOf(id), list));
}

jobject JNICALL newObjectA(JNIEnv* env, jclass cls, jmethodID id, const jvalue* args) {
    return construct(env, cls, id, argumentsFrom(*methodOf(id), args));
}

jobject JNICALL newObject(JNIEnv* env, jclass cls, jmethodID id, ...) {
    va_list list;
    va_start(list, id);
    jobject result = newObjectV(env, cls, id, list);
    va_end(list);
    return result;
}

// One family of Call<Type>Method[V|A] and CallStatic<Type>Method[V|A] per result type.
template <typename Result>
Result resultOf(const jvalue& value);
template <>
jobject resultOf<jobject>(const jvalue& value) { return value.l; }
template <>
jint resultOf<jint>(const jvalue& value) { return value.i; }
template <>
jboolean resultOf<jboolean>(const jvalue& value) { return value.z; }

template <typename Result, bool IsStatic>
struct CallFamily {
    using Target = std::conditional_t<IsStatic, jclass, jobject>;

    static Result run(JNIEnv* env, Target target, jmethodID id, std::vector<jvalue> args) {
        Object* self = IsStatic ? nullptr : object(target);
        if (IsStatic) classOf(reinterpret_cast<jclass>(target));
        const jvalue value = invoke(env, self, *methodOf(id), std::move(args), IsStatic);
        if constexpr (std::is_void_v<Result>) {
            (void)value;
        } else {
            return resultOf<Result>(value);
        }
    }
    static Result JNICALL withList(JNIEnv* env, Target target, jmethodID id, va_list list) {
        return run(env, target, id, argumentsFrom(*methodOf(id), list));
    }
    static Result JNICALL withArray(JNIEnv* env, Target target, jmethodID id, const jvalue* args) {
        return run(env, target, id, argumentsFrom(*methodOf(id), args));
    }
    static Result JNICALL variadic(JNIEnv* env, Target target, jmethodID id, ...) {
        va_list list;
        va_start(list, id);
        if constexpr (std::is_void_v<Result>) {
            withList(env, target, id, list);
            va_end(list);
        } else {
            Result result = withList(env, target, id, list);
            va_end(list);
            return result;
        }
    }
};

// --- exceptions ---

jint JNICALL throwObject(JNIEnv*, jthrowable throwable) {
    pendingException() = object(throwable);
    return JNI_OK;
}

jint JNICALL throwNewFunction(JNIEnv*, jclass cls, const char* message) {
    throwNew(classOf(cls)->name, message ? message : "");
    return JNI_OK;
}

jthrowable JNICALL exceptionOccurred(JNIEnv*) { return reinterpret_cast<jthrowable>(pendingException()); }

void JNICALL exceptionDescribe(JNIEnv*) {
    Object* pending = pendingException();
    if (!pending) return;
    pendingException() = nullptr;
    record("exception-describe", stackTraceText(pending).substr(0, stackTraceText(pending).find('\r')));
    writeTo(systemErr(), "Exception in thread \"main\" " + stackTraceText(pending));
}

void JNICALL exceptionClear(JNIEnv*) { pendingException() = nullptr; }

jboolean JNICALL exceptionCheck(JNIEnv*) { return pendingException() ? JNI_TRUE : JNI_FALSE; }

void JNICALL fatalError(JNIEnv*, const char* message) { failLoudly("fatal-error", message ? message : ""); }

// --- references ---

jint JNICALL pushLocalFrame(JNIEnv*, jint) { return JNI_OK; }
jobject JNICALL popLocalFrame(JNIEnv*, jobject result) { return result; }
jobject JNICALL newRef(JNIEnv*, jobject value) { return value; }
void JNICALL deleteRef(JNIEnv*, jobject) {}
jboolean JNICALL isSameObject(JNIEnv*, jobject a, jobject b) { return a == b ? JNI_TRUE : JNI_FALSE; }
jint JNICALL ensureLocalCapacity(JNIEnv*, jint) { return JNI_OK; }

// --- strings ---

Object* stringOf(jstring value) {
    Object* string = object(value);
    if (!string || string->kind != Kind::String) failLoudly("jni-misuse", "not a string");
    return string;
}

jstring JNICALL newString(JNIEnv*, const jchar* chars, jsize length) {
    std::u16string text(reinterpret_cast<const char16_t*>(chars), static_cast<size_t>(length));
    return reinterpret_cast<jstring>(standin::newString(text));
}

jsize JNICALL getStringLength(JNIEnv*, jstring value) { return static_cast<jsize>(stringOf(value)->text.size()); }

const jchar* JNICALL getStringChars(JNIEnv*, jstring value, jboolean* isCopy) {
    if (isCopy) *isCopy = JNI_FALSE;
    return reinterpret_cast<const jchar*>(stringOf(value)->text.c_str());
}

void JNICALL releaseStringChars(JNIEnv*, jstring, const jchar*) {}

jstring JNICALL newStringUtf(JNIEnv*, const char* utf) {
    return reinterpret_cast<jstring>(standin::newString(fromUtf8(utf ? utf : "")));
}

jsize JNICALL getStringUtfLength(JNIEnv*, jstring value) {
    return static_cast<jsize>(utf8Of(stringOf(value)).size());
}

const char* JNICALL getStringUtfChars(JNIEnv*, jstring value, jboolean* isCopy) {
    if (isCopy) *isCopy = JNI_TRUE;
    const std::string utf = utf8Of(stringOf(value));
    char* copy = new char[utf.size() + 1];
    std::memcpy(copy, utf.c_str(), utf.size() + 1);
    return copy;
}

void JNICALL releaseStringUtfChars(JNIEnv*, jstring, const char* chars) { delete[] chars; }

// --- arrays ---

Object* arrayOf(jarray value, Kind kind) {
    Object* array = object(value);
    if (!array || array->kind != kind) failLoudly("jni-misuse", "not an array of the expected kind");
    return array;
}

jsize JNICALL getArrayLength(JNIEnv*, jarray value) {
    Object* array = object(value);
    if (!array) failLoudly("jni-misuse", "GetArrayLength of null");
    return static_cast<jsize>(array->kind == Kind::CharArray ? array->text.size() : array->elements.size());
}

jobjectArray JNICALL newObjectArray(JNIEnv*, jsize length, jclass cls, jobject initial) {
    classOf(cls);
    if (length < 0) {
        throwNew("java/lang/NegativeArraySizeException", std::to_string(length));
        return nullptr;
    }
    Object* array = newObjectOf(findClassInfo("java/lang/Object"), Kind::ObjectArray);
    array->elements.assign(static_cast<size_t>(length), object(initial));
    return reinterpret_cast<jobjectArray>(array);
}

jobject JNICALL getObjectArrayElement(JNIEnv*, jobjectArray value, jsize index) {
    Object* array = arrayOf(value, Kind::ObjectArray);
    if (index < 0 || static_cast<size_t>(index) >= array->elements.size()) {
        throwNew("java/lang/ArrayIndexOutOfBoundsException", std::to_string(index));
        return nullptr;
    }
    return handle(array->elements[static_cast<size_t>(index)]);
}

void JNICALL setObjectArrayElement(JNIEnv*, jobjectArray value, jsize index, jobject element) {
    Object* array = arrayOf(value, Kind::ObjectArray);
    if (index < 0 || static_cast<size_t>(index) >= array->elements.size()) {
        throwNew("java/lang/ArrayIndexOutOfBoundsException", std::to_string(index));
        return;
    }
    array->elements[static_cast<size_t>(index)] = object(element);
}

jcharArray JNICALL newCharArray(JNIEnv*, jsize length) {
    if (length < 0) {
        throwNew("java/lang/NegativeArraySizeException", std::to_string(length));
        return nullptr;
    }
    Object* array = newObjectOf(findClassInfo("java/lang/Object"), Kind::CharArray);
    array->text.assign(static_cast<size_t>(length), u'\0');
    return reinterpret_cast<jcharArray>(array);
}

bool regionFits(const Object* array, jsize start, jsize length) {
    return start >= 0 && length >= 0 && static_cast<size_t>(start) + static_cast<size_t>(length) <= array->text.size();
}

void JNICALL setCharArrayRegion(JNIEnv*, jcharArray value, jsize start, jsize length, const jchar* chars) {
    Object* array = arrayOf(value, Kind::CharArray);
    if (!regionFits(array, start, length)) {
        throwNew("java/lang/ArrayIndexOutOfBoundsException", std::to_string(start));
        return;
    }
    for (jsize i = 0; i < length; ++i) array->text[static_cast<size_t>(start + i)] = static_cast<char16_t>(chars[i]);
}

void JNICALL getCharArrayRegion(JNIEnv*, jcharArray value, jsize start, jsize length, jchar* chars) {
    Object* array = arrayOf(value, Kind::CharArray);
    if (!regionFits(array, start, length)) {
        throwNew("java/lang/ArrayIndexOutOfBoundsException", std::to_string(start));
        return;
    }
    for (jsize i = 0; i < length; ++i) chars[i] = array->text[static_cast<size_t>(start + i)];
}

// --- fields: only System.out and System.err ---

jfieldID JNICALL getStaticFieldId(JNIEnv*, jclass cls, const char* name, const char* signature) {
    const std::string field = name;
    if (classOf(cls)->name == "java/lang/System" && std::string(signature) == "Ljava/io/PrintStream;" &&
        (field == "out" || field == "err")) {
        return reinterpret_cast<jfieldID>(field == "out" ? 1 : 2);
    }
    throwNew("java/lang/NoSuchFieldError", field);
    return nullptr;
}

jobject JNICALL getStaticObjectField(JNIEnv*, jclass, jfieldID id) {
    const auto which = reinterpret_cast<uintptr_t>(id);
    if (which == 1) return handle(systemOut());
    if (which == 2) return handle(systemErr());
    failLoudly("jni-misuse", "unknown static field");
}

jint JNICALL getJavaVm(JNIEnv*, JavaVM** vm) {
    *vm = theVm();
    return JNI_OK;
}

template <size_t Index>
void JNICALL unimplementedSlot() {
    failLoudly("unimplemented", std::to_string(Index));
}

constexpr size_t kSlotCount = sizeof(JNINativeInterface_) / sizeof(void*);

template <size_t... Index>
void fillUnimplemented(void** slots, std::index_sequence<Index...>) {
    ((slots[Index] = reinterpret_cast<void*>(&unimplementedSlot<Index>)), ...);
}

JNINativeInterface_ buildTable() {
    JNINativeInterface_ table;
    fillUnimplemented(reinterpret_cast<void**>(&table), std::make_index_sequence<kSlotCount>());
    table.reserved0 = table.reserved1 = table.reserved2 = table.reserved3 = nullptr;
    table.GetVersion = getVersion;
    table.FindClass = findClass;
    table.GetObjectClass = getObjectClass;
    table.IsInstanceOf = isInstanceOf;
    table.GetMethodID = getMethodId;
    table.GetStaticMethodID = getStaticMethodId;
    table.NewObject = newObject;
    table.NewObjectV = newObjectV;
    table.NewObjectA = newObjectA;

    using ObjectCall = CallFamily<jobject, false>;
    using VoidCall = CallFamily<void, false>;
    using IntCall = CallFamily<jint, false>;
    using BooleanCall = CallFamily<jboolean, false>;
    using StaticObjectCall = CallFamily<jobject, true>;
    using StaticVoidCall = CallFamily<void, true>;
    using StaticIntCall = CallFamily<jint, true>;
    table.CallObjectMethod = ObjectCall::variadic;
    table.CallObjectMethodV = ObjectCall::withList;
    table.CallObjectMethodA = ObjectCall::withArray;
    table.CallVoidMethod = VoidCall::variadic;
    table.CallVoidMethodV = VoidCall::withList;
    table.CallVoidMethodA = VoidCall::withArray;
    table.CallBooleanMethod = BooleanCall::variadic;
    table.CallBooleanMethodV = BooleanCall::withList;
    table.CallBooleanMethodA = BooleanCall::withArray;
    table.CallIntMethod = IntCall::variadic;
    table.CallIntMethodV = IntCall::withList;
    table.CallIntMethodA = IntCall::withArray;
    table.CallStaticObjectMethod = StaticObjectCall::variadic;
    table.CallStaticObjectMethodV = StaticObjectCall::withList;
    table.CallStaticObjectMethodA = StaticObjectCall::withArray;
    table.CallStaticVoidMethod = StaticVoidCall::variadic;
    table.CallStaticVoidMethodV = StaticVoidCall::withList;
    table.CallStaticVoidMethodA = StaticVoidCall::withArray;
    table.CallStaticIntMethod = StaticIntCall::variadic;
    table.CallStaticIntMethodV = StaticIntCall::withList;
    table.CallStaticIntMethodA = StaticIntCall::withArray;

    table.Throw = throwObject;
    table.ThrowNew = throwNewFunction;
    table.ExceptionOccurred = exceptionOccurred;
    table.ExceptionDescribe = exceptionDescribe;
    table.ExceptionClear = exceptionClear;
    table.ExceptionCheck = exceptionCheck;
    table.FatalError = fatalError;

    table.PushLocalFrame = pushLocalFrame;
    table.PopLocalFrame = popLocalFrame;
    table.NewGlobalRef = newRef;
    table.NewLocalRef = newRef;
    table.DeleteGlobalRef = deleteRef;
    table.DeleteLocalRef = deleteRef;
    table.IsSameObject = isSameObject;
    table.EnsureLocalCapacity = ensureLocalCapacity;

    table.NewString = newString;
    table.GetStringLength = getStringLength;
    table.GetStringChars = getStringChars;
    table.ReleaseStringChars = releaseStringChars;
    table.NewStringUTF = newStringUtf;
    table.GetStringUTFLength = getStringUtfLength;
    table.GetStringUTFChars = getStringUtfChars;
    table.ReleaseStringUTFChars = releaseStringUtfChars;

    table.GetArrayLength = getArrayLength;
    table.NewObjectArray = newObjectArray;
    table.GetObjectArrayElement = getObjectArrayElement;
    table.SetObjectArrayElement = setObjectArrayElement;
    table.NewCharArray = newCharArray;
    table.SetCharArrayRegion = setCharArrayRegion;
    table.GetCharArrayRegion = getCharArrayRegion;

    table.GetStaticFieldID = getStaticFieldId;
    table.GetStaticObjectField = getStaticObjectField;
    table.GetJavaVM = getJavaVm;
    return table;
}

}  // namespace

const JNINativeInterface_* nativeInterface() {
    static const JNINativeInterface_ table = buildTable();
    return &table;
}

}  // namespace standin
