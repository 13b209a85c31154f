// Many fields compared at once: ExpectFields({F(r.x, 1), F(r.y, 2)}) names
// each field whose value differs.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>

struct Field { const char* name; long long actual, expected; };
#define F(field, value) Field{#field, (long long)(field), (long long)(value)}
inline void ExpectFields(std::initializer_list<Field> fields)
{
    for (const Field& f : fields) EXPECT_EQ(f.actual, f.expected) << f.name;
}
