// Allocation for the program: a failed allocation ends the process. Defining
// these keeps the C++ runtime's exception machinery out of the program.
#include <cstdlib>
#include <new>

void* operator new(std::size_t size)
{
    void* p = std::malloc(size ? size : 1);
    if (!p)
        std::abort();
    return p;
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

// A pure virtual call is a program error; ending here keeps the runtime's
// terminate handler (and the demangler it drags in) out of the program.
extern "C" void __cxa_pure_virtual()
{
    std::abort();
}
