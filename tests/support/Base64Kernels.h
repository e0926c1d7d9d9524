#pragma once

#include "extract/base64/Base64Kernel.h"

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

// One of the names Base64KernelNames() gives.
inline const Base64Kernel& Base64KernelNamed(const std::string& name)
{
    return *ChooseBase64Kernel(name.c_str());
}

// Makes the decoders use one kernel while it lives, then the one they used before.
class UsingBase64Kernel
{
public:
    explicit UsingBase64Kernel(const Base64Kernel& kernel)
        : m_before(CurrentBase64Kernel())
    {
        UseBase64Kernel(kernel);
    }
    explicit UsingBase64Kernel(const std::string& name)
        : UsingBase64Kernel(Base64KernelNamed(name))
    {
    }
    ~UsingBase64Kernel() { UseBase64Kernel(m_before); }
    UsingBase64Kernel(const UsingBase64Kernel&) = delete;
    UsingBase64Kernel& operator=(const UsingBase64Kernel&) = delete;

private:
    const Base64Kernel& m_before;
};

} // namespace orvandel::test
