// The stand-in's Java world: classes with their methods, strings, arrays, streams and throwables.
// Objects live until the process ends; a jobject is the address of an Object.
#pragma once

#include <windows.h>

#include <jni.h>

#include <memory>
#include <string>
#include <vector>

namespace standin {

struct ClassInfo;

enum class Kind { Plain, Class, String, ObjectArray, CharArray, FileStream, ByteStream, PrintStream, Throwable };

struct Object {
    Kind kind = Kind::String;
    ClassInfo* classInfo = nullptr;     // the object's class
    ClassInfo* describes = nullptr;     // Kind::Class: the class it stands for
    std::u16string text;                // String, CharArray, Throwable's message
    std::vector<Object*> elements;      // ObjectArray
    HANDLE handle = nullptr;            // FileStream
    std::string fileName;               // FileStream, UTF-8, for the record
    std::string bytes;                  // ByteStream
    Object* target = nullptr;           // PrintStream: the stream it writes to
    std::vector<std::string> trace;     // Throwable: "\tat ..." lines
};

struct MethodInfo;

struct Call {
    JNIEnv* env = nullptr;
    const MethodInfo* method = nullptr;
    Object* self = nullptr;  // null for static methods
    std::vector<jvalue> args;
};

using Body = jvalue (*)(Call& call);

struct MethodInfo {
    ClassInfo* owner = nullptr;
    std::string name;
    std::string signature;
    bool isStatic = false;
    Body body = nullptr;
};

struct ClassInfo {
    std::string name;  // slash form
    std::vector<std::unique_ptr<MethodInfo>> methods;
    Object* classObject = nullptr;
    ClassInfo* super = nullptr;
    bool isApplication = false;
};

// A class by slash (or dot) name, or null. Application classes follow the script's "class" lines.
ClassInfo* findClassInfo(const std::string& name);
// Only the classes of the boot loader (java/, javax/, sun/).
ClassInfo* findBootClassInfo(const std::string& name);
MethodInfo* findMethod(ClassInfo* info, const std::string& name, const std::string& signature, bool isStatic);

Object* newString(const std::u16string& text);
Object* newObjectOf(ClassInfo* info, Kind kind);
// The kind of object NewObject makes for an instance of `info`.
Kind kindOf(const ClassInfo* info);
// True when `info` is `ancestor` or derives from it.
bool derivesFrom(const ClassInfo* info, const ClassInfo* ancestor);
std::string utf8Of(const Object* string);

// The calling thread's pending exception (null when none).
Object*& pendingException();
// Makes a throwable of `className` with `message` pending; returns null for the caller's result.
void throwNew(const std::string& className, const std::string& message, const std::string& where = "");

// The streams System.out and System.err write to at the moment.
Object*& systemOut();
Object*& systemErr();
// Writes the UTF-8 bytes to a PrintStream, FileStream or ByteStream.
void writeTo(Object* stream, const std::string& bytes);
// "java.lang.X: message" and the trace lines, as printStackTrace writes them.
std::string stackTraceText(const Object* throwable);

}  // namespace standin
