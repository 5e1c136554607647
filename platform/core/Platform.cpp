#include "Platform.h"

#include <mutex>

namespace zelk {
namespace {

std::mutex& platformMutex()
{
    static std::mutex m;
    return m;
}

std::unique_ptr<Platform>& current()
{
    static std::unique_ptr<Platform> p;
    return p;
}

} // namespace

Platform& Platform::instance()
{
    std::lock_guard lock(platformMutex());
    auto& p = current();
    if (!p)
        p = qgetenv("ZELK_PLATFORM") == "virtual" ? makeVirtualPlatform() : makeLinuxPlatform();
    return *p;
}

std::unique_ptr<Platform> Platform::install(std::unique_ptr<Platform> platform)
{
    std::lock_guard lock(platformMutex());
    auto previous = std::move(current());
    current() = std::move(platform);
    return previous;
}

} // namespace zelk
