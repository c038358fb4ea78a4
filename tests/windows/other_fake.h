// Reaches the state of a second copy of the fake library (the partial fake or
// the one without answers), which a window loaded by its path: that copy
// keeps its own configuration and record of calls, apart from the copy the
// test program links.
#pragma once

#include "fake_dravik.h"

#include <QtGlobal>

#include <dlfcn.h>

#include <string>
#include <vector>

class OtherFake
{
public:
    // Loads the copy at path (the window's own load finds it loaded).
    explicit OtherFake(const char *path)
        : handle_(dlopen(path, RTLD_NOW | RTLD_LOCAL))
    {
        if (!handle_)
            qFatal("cannot load %s: %s", path, dlerror());
    }
    ~OtherFake() { dlclose(handle_); }
    OtherFake(const OtherFake &) = delete;
    OtherFake &operator=(const OtherFake &) = delete;

    void reset() { fn<void (*)()>("_ZN4fake5resetEv")(); }
    fake::Config &config() { return fn<fake::Config &(*)()>("_ZN4fake6configEv")(); }
    void clearCalls() { fn<void (*)()>("_ZN4fake10clearCallsEv")(); }
    // The names of the calls this copy received, in order.
    std::vector<std::string> callNames()
    {
        std::vector<std::string> names;
        for (const fake::Call &c : fn<std::vector<fake::Call> (*)()>("_ZN4fake5callsEv")())
            names.push_back(c.function);
        return names;
    }

private:
    template <typename F>
    F fn(const char *symbol)
    {
        void *p = dlsym(handle_, symbol);
        if (!p)
            qFatal("the fake copy lacks %s", symbol);
        return reinterpret_cast<F>(p);
    }
    void *handle_;
};
