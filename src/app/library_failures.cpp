// What the standard library does when it fails, for the launcher executable alone (tests keep the
// library's own). The launcher uses no C++ exceptions: running out of memory, or a length beyond what a
// container can hold, ends the process, as an uncaught exception did before. Replacing the library's
// throw helpers, its terminate handler and the allocation functions keeps its exception classes,
// their string copies and its symbol demangler out of the executable: about 100 KB of its size.
//
// The helpers and the handler are the library's own functions, not ours to define: the linker sends
// every call of them to the __wrap_ functions below instead (--wrap, see src/CMakeLists.txt), so the
// library's definitions are never linked. Their names are the mangled ones the linker sees.
#include <cstdlib>
#include <new>

namespace {

[[noreturn]] void endProcess() { std::abort(); }

}  // namespace

extern "C" {

[[noreturn]] void __wrap__ZSt17__throw_bad_allocv() { endProcess(); }
[[noreturn]] void __wrap__ZSt28__throw_bad_array_new_lengthv() { endProcess(); }
[[noreturn]] void __wrap__ZSt20__throw_length_errorPKc(const char*) { endProcess(); }
[[noreturn]] void __wrap__ZSt19__throw_logic_errorPKc(const char*) { endProcess(); }
[[noreturn]] void __wrap__ZSt20__throw_out_of_rangePKc(const char*) { endProcess(); }
[[noreturn]] void __wrap__ZSt24__throw_out_of_range_fmtPKcz(const char*, ...) { endProcess(); }
[[noreturn]] void __wrap__ZSt24__throw_invalid_argumentPKc(const char*) { endProcess(); }
[[noreturn]] void __wrap__ZSt20__throw_system_errori(int) { endProcess(); }
[[noreturn]] void __wrap__ZSt25__throw_bad_function_callv() { endProcess(); }
[[noreturn]] void __wrap__ZN9__gnu_cxx27__verbose_terminate_handlerEv() { endProcess(); }

}  // extern "C"

// The allocation functions are replaceable by any program, the standard's own way to take them over.
void* operator new(std::size_t size) {
    if (void* memory = std::malloc(size ? size : 1)) return memory;
    endProcess();
}

void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
