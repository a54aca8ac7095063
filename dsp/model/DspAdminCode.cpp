#include "DspAdminCode.h"

#include "SaltedCode.h"

namespace DspAdminCode {

bool matches(const QString& code)
{
    static constexpr SaltedCode kCode{"0dd90e5ebf52408af5f0150967cf5c7b",
                                      "453650ce93ec4b3bf3a5f218366a913a2c6ffa9839b0aecddaf7fcb9e650d0cd"};
    return kCode.matches(code);
}

} // namespace DspAdminCode
