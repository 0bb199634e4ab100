#pragma once
// The chain of calls of the running thread, as the error handler reports it: one level per
// function, innermost first, each with its name and the source line being executed there.

#include <string>
#include <vector>

namespace vm {

struct CallLevel {
    std::string name;  // the function without its parameter list; "[object file]" when unknown
    int line = 0;      // 0 when no line information is found
};

struct CallChainStart {
    // Address at which the chain starts: a return address into the first reported function (the
    // caller of the handler's entry point), or the exact program counter of a faulting
    // instruction. Frames inside the handler, which lie below it, are left out. When it is null
    // or not found on the stack, the chain starts at the caller of CaptureCallChain.
    const void* address = nullptr;
    bool isFaultAddress = false;
    // Also leave out the leading frames that lie in the C and C++ runtime libraries (the throw
    // and terminate machinery, raise and abort's signal delivery).
    bool skipRuntimeLibraries = false;
};

// Walks the stack (backtrace), then names each level and finds its line from the debug
// information of the program and its libraries; functions inlined into another are reported as
// levels of their own. Levels beyond "main" (the C library's start-up code) are left out.
// Never fails: what cannot be found is reported as "[object]" and line 0.
std::vector<CallLevel> CaptureCallChain(const CallChainStart& start);

// A demangled C++ name without its parameter list, trailing qualifiers, optimiser clone suffix
// and the return type of a template function: "vm::Foo(int, char const*) const" gives "vm::Foo",
// "void ns::f<int>(int)" gives "ns::f<int>".
std::string WithoutParameters(const std::string& demangled);

}  // namespace vm
