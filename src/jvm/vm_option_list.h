// The options the virtual machine is created with: narrow text in the thread's ANSI code page, in
// order, each one becoming a JavaVMOption without extra information.
#pragma once

#include <string>
#include <vector>

using VmOptionList = std::vector<std::string>;
