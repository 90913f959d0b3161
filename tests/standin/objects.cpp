#include "objects.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "record.h"
#include "script.h"
#include "vm_state.h"

namespace standin {

namespace {

std::recursive_mutex worldMutex;
std::mutex streamMutex;

std::string slashName(std::string name) {
    std::replace(name.begin(), name.end(), '.', '/');
    return name;
}

std::string dotName(std::string name) {
    std::replace(name.begin(), name.end(), '/', '.');
    return name;
}

bool isBootName(const std::string& name) {
    return name.rfind("java/", 0) == 0 || name.rfind("javax/", 0) == 0 || name.rfind("sun/", 0) == 0;
}

jvalue none() {
    jvalue value{};
    return value;
}

jvalue objectValue(Object* object) {
    jvalue value{};
    value.l = reinterpret_cast<jobject>(object);
    return value;
}

Object* argObject(const Call& call, size_t index) { return reinterpret_cast<Object*>(call.args.at(index).l); }

// --- method bodies ---

jvalue systemExitBody(Call& call) { systemExit(call.args.at(0).i); }

jvalue setOutBody(Call& call) {
    Object* stream = argObject(call, 0);
    record("set-out", stream && stream->target ? stream->target->fileName : "<null>");
    systemOut() = stream;
    return none();
}

jvalue setErrBody(Call& call) {
    Object* stream = argObject(call, 0);
    record("set-err", stream && stream->target ? stream->target->fileName : "<null>");
    systemErr() = stream;
    return none();
}

jvalue stringFromChars(Call& call) {
    const Object* chars = argObject(call, 0);
    if (!chars) {
        throwNew("java/lang/NullPointerException", "chars");
        return none();
    }
    call.self->text = chars->text;
    return none();
}

jvalue fileStreamInit(Call& call) {
    const Object* name = argObject(call, 0);
    if (!name) {
        throwNew("java/lang/NullPointerException", "name");
        return none();
    }
    const bool append = call.args.at(1).z != JNI_FALSE;
    const std::wstring path(name->text.begin(), name->text.end());
    const HANDLE file = CreateFileW(path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, append ? OPEN_ALWAYS : CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throwNew("java/io/FileNotFoundException", utf8Of(name) + " (cannot open)");
        return none();
    }
    call.self->handle = file;
    call.self->fileName = utf8Of(name);
    return none();
}

// The stand-in's streams hold UTF-8 whatever they are told, so only that encoding is known.
bool isUtf8Name(const Object* name) {
    const std::string text = utf8Of(name);
    return text == "UTF-8" || text == "UTF8" || text == "utf-8";
}

jvalue printStreamInit(Call& call) {
    Object* target = argObject(call, 0);
    if (!target) {
        throwNew("java/lang/NullPointerException", "out");
        return none();
    }
    call.self->target = target;
    return none();
}

jvalue printStreamInitIn(Call& call) {
    if (!isUtf8Name(argObject(call, 2))) {
        throwNew("java/io/UnsupportedEncodingException", utf8Of(argObject(call, 2)));
        return none();
    }
    return printStreamInit(call);
}

jvalue printlnBody(Call& call) {
    const Object* text = argObject(call, 0);
    writeTo(call.self, (text ? utf8Of(text) : std::string("null")) + "\r\n");
    return none();
}

jvalue byteStreamInit(Call&) { return none(); }

jvalue byteStreamToString(Call& call) { return objectValue(newString(fromUtf8(call.self->bytes))); }

jvalue byteStreamToStringIn(Call& call) {
    if (!isUtf8Name(argObject(call, 0))) {
        throwNew("java/io/UnsupportedEncodingException", utf8Of(argObject(call, 0)));
        return none();
    }
    return byteStreamToString(call);
}

jvalue printStackTraceBody(Call& call) {
    Object* stream = argObject(call, 0);
    if (!stream) {
        throwNew("java/lang/NullPointerException", "s");
        return none();
    }
    writeTo(stream, stackTraceText(call.self));
    return none();
}

jvalue throwableToString(Call& call) {
    std::string text = dotName(call.self->classInfo->name);
    if (!call.self->text.empty()) text += ": " + utf8Of(call.self);
    return objectValue(newString(fromUtf8(text)));
}

jvalue throwableMessage(Call& call) { return objectValue(call.self->text.empty() ? nullptr : newString(call.self->text)); }

jvalue checkAndLoadMainBody(Call& call) {
    const Object* name = argObject(call, 2);
    const std::string className = name ? utf8Of(name) : std::string();
    record("check-and-load-main", className);
    ClassInfo* info = findClassInfo(className);
    if (!info || !info->isApplication) {
        throwNew("java/lang/NoClassDefFoundError", slashName(className));
        return none();
    }
    return objectValue(info->classObject);
}

jvalue getRuntimeBody(Call&) {
    static Object* const runtime = newObjectOf(findClassInfo("java/lang/Runtime"), Kind::Plain);
    return objectValue(runtime);
}

// A hook is never run: the application's own hooks are not the stand-in's to model.
jvalue addShutdownHookBody(Call&) {
    if (shuttingDown()) {
        record("shutdown-hook-refused");
        throwNew("java/lang/IllegalStateException", "Shutdown in progress");
    }
    return none();
}

jvalue removeShutdownHookBody(Call&) {
    jvalue removed{};
    removed.z = shuttingDown() ? JNI_FALSE : JNI_TRUE;
    return removed;
}

jvalue threadInit(Call&) { return none(); }

jvalue mainBody(Call& call);
jvalue secondaryMainBody(Call& call);
jvalue stopBody(Call& call);

// --- the class table ---

struct MethodSpec {
    const char* name;
    const char* signature;
    bool isStatic;
    Body body;
};

std::map<std::string, std::unique_ptr<ClassInfo>>& classTable() {
    static std::map<std::string, std::unique_ptr<ClassInfo>> table;
    return table;
}

ClassInfo* addClass(const std::string& name, ClassInfo* super, std::initializer_list<MethodSpec> methods) {
    auto info = std::make_unique<ClassInfo>();
    info->name = name;
    info->super = super;
    for (const MethodSpec& spec : methods) {
        auto method = std::make_unique<MethodInfo>();
        method->owner = info.get();
        method->name = spec.name;
        method->signature = spec.signature;
        method->isStatic = spec.isStatic;
        method->body = spec.body;
        info->methods.push_back(std::move(method));
    }
    ClassInfo* raw = info.get();
    classTable()[name] = std::move(info);
    static ClassInfo* classClass = nullptr;
    if (name == "java/lang/Class") classClass = raw;
    raw->classObject = new Object();
    raw->classObject->kind = Kind::Class;
    raw->classObject->classInfo = classClass ? classClass : raw;
    raw->classObject->describes = raw;
    return raw;
}

void buildBootClasses() {
    ClassInfo* object = addClass("java/lang/Class", nullptr, {});
    object = addClass("java/lang/Object", nullptr, {});
    addClass("java/lang/String", object, {{"<init>", "([C)V", false, stringFromChars}});
    addClass("java/lang/System", object,
             {{"exit", "(I)V", true, systemExitBody},
              {"setOut", "(Ljava/io/PrintStream;)V", true, setOutBody},
              {"setErr", "(Ljava/io/PrintStream;)V", true, setErrBody}});
    addClass("java/lang/Runtime", object,
             {{"getRuntime", "()Ljava/lang/Runtime;", true, getRuntimeBody},
              {"addShutdownHook", "(Ljava/lang/Thread;)V", false, addShutdownHookBody},
              {"removeShutdownHook", "(Ljava/lang/Thread;)Z", false, removeShutdownHookBody}});
    addClass("java/lang/Thread", object, {{"<init>", "()V", false, threadInit}});
    ClassInfo* outputStream = addClass("java/io/OutputStream", object, {});
    addClass("java/io/FileOutputStream", outputStream, {{"<init>", "(Ljava/lang/String;Z)V", false, fileStreamInit}});
    addClass("java/io/ByteArrayOutputStream", outputStream,
             {{"<init>", "()V", false, byteStreamInit},
              {"toString", "()Ljava/lang/String;", false, byteStreamToString},
              {"toString", "(Ljava/lang/String;)Ljava/lang/String;", false, byteStreamToStringIn}});
    addClass("java/io/PrintStream", outputStream,
             {{"<init>", "(Ljava/io/OutputStream;)V", false, printStreamInit},
              {"<init>", "(Ljava/io/OutputStream;ZLjava/lang/String;)V", false, printStreamInitIn},
              {"println", "(Ljava/lang/String;)V", false, printlnBody}});
    ClassInfo* throwable =
        addClass("java/lang/Throwable", object,
                 {{"printStackTrace", "(Ljava/io/PrintStream;)V", false, printStackTraceBody},
                  {"toString", "()Ljava/lang/String;", false, throwableToString},
                  {"getMessage", "()Ljava/lang/String;", false, throwableMessage}});
    ClassInfo* exception = addClass("java/lang/Exception", throwable, {});
    ClassInfo* runtimeException = addClass("java/lang/RuntimeException", exception, {});
    addClass("java/lang/IllegalStateException", runtimeException, {});
    addClass("java/lang/NullPointerException", runtimeException, {});
    addClass("java/io/FileNotFoundException", exception, {});
    addClass("java/io/UnsupportedEncodingException", exception, {});
    ClassInfo* error = addClass("java/lang/Error", throwable, {});
    ClassInfo* linkageError = addClass("java/lang/LinkageError", error, {});
    addClass("java/lang/NoClassDefFoundError", linkageError, {});
    ClassInfo* incompatible = addClass("java/lang/IncompatibleClassChangeError", linkageError, {});
    addClass("java/lang/NoSuchMethodError", incompatible, {});
    addClass("sun/launcher/LauncherHelper", object,
             {{"checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;", true, checkAndLoadMainBody}});
}

bool isApplicationName(const std::string& name) {
    const Script& s = script();
    if (s.classes.empty()) return !isBootName(name) && !name.empty();
    return std::find(s.classes.begin(), s.classes.end(), name) != s.classes.end();
}

ClassInfo* applicationClass(const std::string& name) {
    const Script& s = script();
    const bool withoutMain = std::find(s.classesWithoutMain.begin(), s.classesWithoutMain.end(), name) !=
                             s.classesWithoutMain.end();
    if (s.loadDelayMilliseconds > 0) {
        record("class-loading", name);
        Sleep(s.loadDelayMilliseconds);
    }
    ClassInfo* object = classTable()["java/lang/Object"].get();
    ClassInfo* info = addClass(name, object, {});
    info->isApplication = true;
    auto add = [info](const char* methodName, const std::string& signature, Body body) {
        auto method = std::make_unique<MethodInfo>();
        method->owner = info;
        method->name = methodName;
        method->signature = signature;
        method->isStatic = true;
        method->body = body;
        info->methods.push_back(std::move(method));
    };
    if (!withoutMain) add("main", "([Ljava/lang/String;)V", mainBody);
    if (!s.secondarySignature.empty()) add("secondaryMain", s.secondarySignature, secondaryMainBody);
    if (!s.stopMethod.empty()) add(s.stopMethod.c_str(), "()V", stopBody);
    return info;
}

jvalue mainBody(Call& call) { return runScriptedMethod("main", *call.method->owner, call); }

jvalue secondaryMainBody(Call& call) { return runScriptedMethod("secondaryMain", *call.method->owner, call); }

jvalue stopBody(Call& call) { return runScriptedMethod("stop", *call.method->owner, call); }

}  // namespace

ClassInfo* findClassInfo(const std::string& anyName) {
    std::lock_guard<std::recursive_mutex> lock(worldMutex);
    if (classTable().empty()) buildBootClasses();
    const std::string name = slashName(anyName);
    auto found = classTable().find(name);
    if (found != classTable().end()) return found->second.get();
    if (!isApplicationName(name)) return nullptr;
    return applicationClass(name);
}

ClassInfo* findBootClassInfo(const std::string& anyName) {
    const std::string name = slashName(anyName);
    if (!isBootName(name)) return nullptr;
    return findClassInfo(name);
}

MethodInfo* findMethod(ClassInfo* info, const std::string& name, const std::string& signature, bool isStatic) {
    for (ClassInfo* level = info; level; level = isStatic ? nullptr : level->super) {
        for (const auto& method : level->methods) {
            if (method->name == name && method->signature == signature && method->isStatic == isStatic) {
                return method.get();
            }
        }
    }
    return nullptr;
}

Object* newString(const std::u16string& text) {
    Object* object = newObjectOf(findClassInfo("java/lang/String"), Kind::String);
    object->text = text;
    return object;
}

Object* newObjectOf(ClassInfo* info, Kind kind) {
    Object* object = new Object();
    object->kind = kind;
    object->classInfo = info;
    return object;
}

Kind kindOf(const ClassInfo* info) {
    for (const ClassInfo* level = info; level; level = level->super) {
        if (level->name == "java/lang/String") return Kind::String;
        if (level->name == "java/io/FileOutputStream") return Kind::FileStream;
        if (level->name == "java/io/ByteArrayOutputStream") return Kind::ByteStream;
        if (level->name == "java/io/PrintStream") return Kind::PrintStream;
        if (level->name == "java/lang/Throwable") return Kind::Throwable;
    }
    return Kind::Plain;
}

bool derivesFrom(const ClassInfo* info, const ClassInfo* ancestor) {
    for (const ClassInfo* level = info; level; level = level->super) {
        if (level == ancestor) return true;
    }
    return false;
}

std::string utf8Of(const Object* string) { return string ? toUtf8(string->text) : std::string(); }

Object*& pendingException() {
    thread_local Object* pending = nullptr;
    return pending;
}

void throwNew(const std::string& className, const std::string& message, const std::string& where) {
    ClassInfo* info = findClassInfo(className);
    if (!info) info = findClassInfo("java/lang/RuntimeException");
    Object* throwable = newObjectOf(info, Kind::Throwable);
    throwable->text = fromUtf8(message);
    throwable->trace.push_back("\tat " + (where.empty() ? std::string("standin.Runtime.call(Runtime.java)") : where));
    pendingException() = throwable;
}

Object*& systemOut() {
    static Object* out = [] {
        Object* file = newObjectOf(findClassInfo("java/io/FileOutputStream"), Kind::FileStream);
        file->handle = GetStdHandle(STD_OUTPUT_HANDLE);
        file->fileName = "<stdout>";
        Object* print = newObjectOf(findClassInfo("java/io/PrintStream"), Kind::PrintStream);
        print->target = file;
        return print;
    }();
    return out;
}

Object*& systemErr() {
    static Object* err = [] {
        Object* file = newObjectOf(findClassInfo("java/io/FileOutputStream"), Kind::FileStream);
        file->handle = GetStdHandle(STD_ERROR_HANDLE);
        file->fileName = "<stderr>";
        Object* print = newObjectOf(findClassInfo("java/io/PrintStream"), Kind::PrintStream);
        print->target = file;
        return print;
    }();
    return err;
}

void writeTo(Object* stream, const std::string& bytes) {
    std::lock_guard<std::mutex> lock(streamMutex);
    while (stream && stream->kind == Kind::PrintStream) stream = stream->target;
    if (!stream) return;
    if (stream->kind == Kind::ByteStream) {
        stream->bytes += bytes;
    } else if (stream->kind == Kind::FileStream && stream->handle && stream->handle != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(stream->handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
}

std::string stackTraceText(const Object* throwable) {
    std::string text = dotName(throwable->classInfo->name);
    if (!throwable->text.empty()) text += ": " + utf8Of(throwable);
    text += "\r\n";
    for (const std::string& line : throwable->trace) text += line + "\r\n";
    return text;
}

}  // namespace standin
