// SPDX-License-Identifier: MIT
#ifndef PROCBOX_TESTS_CASENAME_H
#define PROCBOX_TESTS_CASENAME_H

#include <gtest/gtest.h>

#include <cctype>
#include <string>

// Names a row of a case table after its name field, in the letters that
// GoogleTest allows in a test name.
struct casename {
    template <class row> std::string operator()(const testing::TestParamInfo<row> &info) const
    {
        std::string name;
        for (const char *p = info.param.name; *p != '\0'; p++)
            name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    }
};

#endif
