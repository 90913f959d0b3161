// What the standard library does when it fails, for the launcher executable alone (tests keep the
// library's own). The launcher uses no C++ exceptions: running out of memory, or a length beyond what a
// container can hold, ends the process, as an uncaught exception did before. Defining the library's
// throw helpers, its terminate handler and the allocation functions here keeps its exception classes,
// their string copies and its symbol demangler out of the executable: about 100 KB of its size.
#include <bits/functexcept.h>

#include <cstdarg>
#include <cstdlib>
#include <new>

namespace {

[[noreturn]] void endProcess() { std::abort(); }

}  // namespace

namespace std {

void __throw_bad_alloc() { endProcess(); }
void __throw_bad_array_new_length() { endProcess(); }
void __throw_length_error(const char*) { endProcess(); }
void __throw_logic_error(const char*) { endProcess(); }
void __throw_out_of_range(const char*) { endProcess(); }
void __throw_out_of_range_fmt(const char*, ...) { endProcess(); }
void __throw_invalid_argument(const char*) { endProcess(); }
void __throw_system_error(int) { endProcess(); }
void __throw_bad_function_call() { endProcess(); }

}  // namespace std

namespace __gnu_cxx {

void __verbose_terminate_handler() { endProcess(); }

}  // namespace __gnu_cxx

void* operator new(std::size_t size) {
    if (void* memory = std::malloc(size ? size : 1)) return memory;
    endProcess();
}

void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
