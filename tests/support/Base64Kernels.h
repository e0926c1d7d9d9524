#pragma once

#include "extract/base64/Base64Kernel.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace orvandel::test {

// The names of the kernels this machine runs, for a table of tests with a row for each.
inline std::vector<std::string> Base64KernelNames()
{
    std::vector<std::string> names;
    for (const Base64Kernel* kernel : AvailableBase64Kernels())
        names.emplace_back(kernel->name);
    return names;
}

inline const Base64Kernel& Base64KernelNamed(const std::string& name)
{
    return ChooseBase64Kernel(name.c_str());
}

// Makes the decoders use one kernel while it lives, then the one the environment chooses.
class UsingBase64Kernel
{
public:
    explicit UsingBase64Kernel(const Base64Kernel& kernel) { UseBase64Kernel(kernel); }
    explicit UsingBase64Kernel(const std::string& name)
        : UsingBase64Kernel(Base64KernelNamed(name))
    {
    }
    ~UsingBase64Kernel() { UseBase64Kernel(ChooseBase64Kernel(std::getenv("ORVANDEL_BASE64_KERNEL"))); }
    UsingBase64Kernel(const UsingBase64Kernel&) = delete;
    UsingBase64Kernel& operator=(const UsingBase64Kernel&) = delete;
};

} // namespace orvandel::test
