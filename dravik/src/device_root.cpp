#include "device_root.h"

#ifdef DRAVIK_TEST_HOOKS
#include <cstdlib>
#endif

namespace dravik {

#ifdef DRAVIK_TEST_HOOKS

std::string testRoot()
{
    const char *r = std::getenv("DRAVIK_TEST_ROOT");
    if (!r || !*r)
        return {};
    std::string root(r);
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    return root;
}

#else

std::string testRoot()
{
    return {};
}

#endif

} // namespace dravik
