#include "runtime/call_chain.h"

#include <cxxabi.h>
#include <dlfcn.h>
#include <execinfo.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "core/platform_paths.h"

#ifdef VM_HAVE_LIBDW
#include <dwarf.h>
#include <elfutils/libdw.h>
#include <elfutils/libdwfl.h>
#endif

namespace vm {

namespace {

constexpr int kMaxFrames = 256;

std::string demangle(const char* name) {
    if (name == nullptr) {
        return "";
    }
    int status = 0;
    char* text = abi::__cxa_demangle(name, nullptr, nullptr, &status);
    if (status != 0 || text == nullptr) {
        std::free(text);
        return name;
    }
    std::string out = WithoutParameters(text);
    std::free(text);
    return out;
}

std::string baseName(const char* path) {
    if (path == nullptr) {
        return "";
    }
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

// The object (shared library or program) that holds the address.
std::string objectOf(uintptr_t address) {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(address), &info) != 0) {
        return baseName(info.dli_fname);
    }
    return "";
}

bool isRuntimeLibrary(uintptr_t address) {
    const std::string object = objectOf(address);
    for (std::string_view prefix :
         {"libc.so", "libstdc++.so", "libgcc_s.so", "libc++", "libc++abi"}) {
        if (object.rfind(prefix, 0) == 0) {
            return true;
        }
    }
    return false;
}

#ifdef VM_HAVE_LIBDW

char* debugInfoPath = nullptr;
// Separate debug information is looked for only in the local build-id folders: the standard
// search would also ask debuginfod servers over the network, which a dying process must not do.
const Dwfl_Callbacks kCallbacks = {dwfl_linux_proc_find_elf, dwfl_build_id_find_debuginfo, nullptr,
                                   &debugInfoPath};

// The folders searched for debug files: the system's, and the lib/debug of the prefix the program
// is installed under (PREFIX/bin/vistametra), so that a copy unpacked or installed elsewhere with
// its debug package finds that package's files too.
void setDebugInfoPath() {
    static std::string path;
    if (!path.empty()) {
        return;
    }
    path = ":.debug:/usr/lib/debug";
    const std::string exe = programFile();
    const auto bin = exe.rfind('/');
    const auto prefix = bin == std::string::npos ? std::string::npos : exe.rfind('/', bin - 1);
    if (prefix != std::string::npos && prefix > 0) {
        const std::string own = exe.substr(0, prefix) + "/lib/debug";
        if (own != "/usr/lib/debug") {
            path += ":" + own;
        }
    }
    debugInfoPath = path.data();
}

// The DIE that carries a function's name: an inlined or out-of-line copy points at its abstract
// origin, a definition outside its class at its declaration.
Dwarf_Die declarationOf(Dwarf_Die* die) {
    Dwarf_Die target = *die;
    for (int hops = 0; hops < 8; ++hops) {
        Dwarf_Attribute attr;
        Dwarf_Die referenced;
        if ((dwarf_attr(&target, DW_AT_abstract_origin, &attr) != nullptr ||
             dwarf_attr(&target, DW_AT_specification, &attr) != nullptr) &&
            dwarf_formref_die(&attr, &referenced) != nullptr) {
            target = referenced;
            continue;
        }
        break;
    }
    return target;
}

// The function's name with its namespaces and classes.
std::string dieName(Dwarf_Die* die) {
    Dwarf_Attribute attr;
    const char* linkage = dwarf_formstring(dwarf_attr_integrate(die, DW_AT_linkage_name, &attr));
    if (linkage == nullptr) {
        linkage = dwarf_formstring(dwarf_attr_integrate(die, DW_AT_MIPS_linkage_name, &attr));
    }
    if (linkage != nullptr) {
        return demangle(linkage);
    }
    Dwarf_Die declaration = declarationOf(die);
    const char* name = dwarf_diename(&declaration);
    if (name == nullptr) {
        return "";
    }
    std::string qualified = name;
    Dwarf_Die* scopes = nullptr;
    const int count = dwarf_getscopes_die(&declaration, &scopes);
    for (int i = 1; i < count; ++i) {
        const int tag = dwarf_tag(&scopes[i]);
        if (tag == DW_TAG_namespace || tag == DW_TAG_class_type || tag == DW_TAG_structure_type ||
            tag == DW_TAG_union_type) {
            const char* scope = dwarf_diename(&scopes[i]);
            qualified = std::string(scope ? scope : "(anonymous namespace)") + "::" + qualified;
        }
    }
    std::free(scopes);
    return qualified;
}

class Symbolizer {
public:
    Symbolizer() {
        setDebugInfoPath();
        m_dwfl = dwfl_begin(&kCallbacks);
        if (m_dwfl == nullptr) {
            return;
        }
        if (dwfl_linux_proc_report(m_dwfl, getpid()) != 0 ||
            dwfl_report_end(m_dwfl, nullptr, nullptr) != 0) {
            dwfl_end(m_dwfl);
            m_dwfl = nullptr;
        }
    }
    ~Symbolizer() {
        if (m_dwfl != nullptr) {
            dwfl_end(m_dwfl);
        }
    }
    Symbolizer(const Symbolizer&) = delete;
    Symbolizer& operator=(const Symbolizer&) = delete;

    // Appends the levels of one frame: the inlined functions at that address, innermost first,
    // then the function that holds them.
    bool describe(uintptr_t address, std::vector<CallLevel>& out) {
        if (m_dwfl == nullptr) {
            return false;
        }
        Dwfl_Module* module = dwfl_addrmodule(m_dwfl, address);
        if (module == nullptr) {
            return false;
        }
        int line = 0;
        if (Dwfl_Line* info = dwfl_module_getsrc(module, address)) {
            int number = 0;
            if (dwfl_lineinfo(info, nullptr, &number, nullptr, nullptr, nullptr) != nullptr) {
                line = number;
            }
        }
        Dwarf_Addr bias = 0;
        if (Dwarf_Die* unit = dwfl_module_addrdie(module, address, &bias)) {
            Dwarf_Die* scopes = nullptr;
            int count = dwarf_getscopes(unit, address - bias, &scopes);
            bool found = false;
            for (int i = 0; i < count && !found; ++i) {
                const int tag = dwarf_tag(&scopes[i]);
                if (tag == DW_TAG_inlined_subroutine) {
                    out.push_back({dieName(&scopes[i]), line});
                    Dwarf_Attribute attr;
                    Dwarf_Word callLine = 0;
                    line = dwarf_formudata(dwarf_attr(&scopes[i], DW_AT_call_line, &attr),
                                           &callLine) == 0
                               ? static_cast<int>(callLine)
                               : 0;
                } else if (tag == DW_TAG_subprogram) {
                    // The symbol table names the out-of-line function exactly; the debug
                    // information serves when the symbol table has been stripped.
                    const char* symbol = dwfl_module_addrname(module, address);
                    std::string name = symbol ? demangle(symbol) : dieName(&scopes[i]);
                    if (!name.empty()) {
                        out.push_back({name, line});
                        found = true;
                    }
                }
            }
            std::free(scopes);
            if (found) {
                return true;
            }
        }
        const char* symbol = dwfl_module_addrname(module, address);
        if (symbol == nullptr) {
            return false;
        }
        out.push_back({demangle(symbol), line});
        return true;
    }

private:
    Dwfl* m_dwfl = nullptr;
};

#else

class Symbolizer {
public:
    bool describe(uintptr_t, std::vector<CallLevel>&) { return false; }
};

#endif

void describeWithoutDebugInfo(uintptr_t address, std::vector<CallLevel>& out) {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(address), &info) != 0 && info.dli_sname != nullptr) {
        out.push_back({demangle(info.dli_sname), 0});
        return;
    }
    const std::string object = objectOf(address);
    out.push_back({"[" + (object.empty() ? std::string("unknown") : object) + "]", 0});
}

}  // namespace

std::string WithoutParameters(const std::string& demangled) {
    std::string name = demangled;
    // Copies that the optimiser made: "f(int) [clone .constprop.0]".
    for (size_t clone = name.find(" [clone "); clone != std::string::npos;
         clone = name.find(" [clone ")) {
        name.erase(clone);
    }
    // Trailing qualifiers of member functions.
    for (bool changed = true; changed;) {
        changed = false;
        for (std::string_view suffix : {" const", " volatile", " &&", " &", " noexcept"}) {
            if (name.size() > suffix.size() &&
                name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
                name.erase(name.size() - suffix.size());
                changed = true;
            }
        }
    }
    if (!name.empty() && name.back() == ')') {
        int depth = 0;
        for (size_t i = name.size(); i-- > 0;) {
            if (name[i] == ')') {
                ++depth;
            } else if (name[i] == '(' && --depth == 0) {
                if (i > 0) {
                    name.erase(i);
                }
                break;
            }
        }
    }
    // The return type that names of template functions carry: "void ns::f<int>" gives "ns::f<int>".
    int depth = 0;
    for (size_t i = name.size(); i-- > 0;) {
        const char c = name[i];
        if (c == '>' || c == ')') {
            ++depth;
        } else if (c == '<' || c == '(') {
            if (--depth < 0) {
                break;  // an operator< or the like: leave the name alone
            }
        } else if (c == ' ' && depth == 0) {
            const std::string_view before(name.data(), i);
            if (before.size() >= 8 && before.substr(before.size() - 8) == "operator") {
                continue;
            }
            name.erase(0, i + 1);
            break;
        }
    }
    return name;
}

__attribute__((noinline)) std::vector<CallLevel> CaptureCallChain(const CallChainStart& start) {
    void* frames[kMaxFrames];
    const int count = backtrace(frames, kMaxFrames);

    // frames[0] lies in this function, frames[1] in its caller.
    int first = count > 1 ? 1 : count;
    bool firstIsExact = false;
    if (start.address != nullptr) {
        for (int i = 0; i < count; ++i) {
            if (frames[i] == start.address) {
                first = i;
                firstIsExact = start.isFaultAddress;
                break;
            }
        }
    }
    if (start.skipRuntimeLibraries) {
        while (first < count - 1 && isRuntimeLibrary(reinterpret_cast<uintptr_t>(frames[first]))) {
            ++first;
            firstIsExact = false;
        }
    }

    std::vector<CallLevel> chain;
    size_t levelsBeforeRuntimeTail = 0;  // levels up to the last one outside the C/C++ runtime
    Symbolizer symbolizer;
    for (int i = first; i < count; ++i) {
        uintptr_t address = reinterpret_cast<uintptr_t>(frames[i]);
        // A return address points after the call; the call itself is one byte before it.
        if (!(i == first && firstIsExact) && address > 0) {
            --address;
        }
        const size_t before = chain.size();
        if (!symbolizer.describe(address, chain)) {
            describeWithoutDebugInfo(address, chain);
        }
        bool reachedMain = false;
        for (size_t k = before; k < chain.size(); ++k) {
            if (chain[k].name == "main") {
                chain.resize(k + 1);
                reachedMain = true;
                break;
            }
        }
        if (reachedMain) {
            return chain;
        }
        if (!isRuntimeLibrary(address)) {
            levelsBeforeRuntimeTail = chain.size();
        }
    }
    // A thread's chain ends in the runtime's thread start-up code: leave that out.
    if (levelsBeforeRuntimeTail > 0) {
        chain.resize(levelsBeforeRuntimeTail);
    }
    return chain;
}

}  // namespace vm
