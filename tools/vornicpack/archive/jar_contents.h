// What the packer reads inside a jar: the manifest's Main-Class, and which Java a class file needs.
//
//   manifestMainClass(manifestBytes);   // "com.example.Main", empty when the manifest names none
//   javaVersionOfClassFile(major);      // 52 -> "1.8", 61 -> "17"
#pragma once

#include <string>

#include "support/bytes.h"

// An attribute of the main section of a JAR manifest (continuation lines joined), its name in any
// case; empty when the section has none.
std::string manifestAttribute(const Bytes& manifest, const std::string& attribute);
std::string manifestMainClass(const Bytes& manifest);  // "Main-Class"
bool manifestIsMultiRelease(const Bytes& manifest);    // "Multi-Release: true"

// N when `entryName` is "META-INF/versions/N/" + `name` with N from 9 on (where a multi-release jar
// keeps the classes of Java N and later), else 0.
int versionedEntryRelease(const std::string& entryName, const std::string& name);

// The major version of a class file; 0 when the bytes do not begin like a class file.
int classFileMajor(const Bytes& classFile);

// The first Java version that reads class files of this major version, written as the launcher's
// "Minimum Version" is: 1.1 to 1.8 for 45 to 52, then 9, 10, ... for 53 on.
std::string javaVersionOfClassFile(int major);
