// The image operations pixconvert runs between load and save: one table row per operation, its
// arguments in the method's own order. A new operation is one more row in PixOps.cpp.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "imagelib/PixImage.h"

// List: comma-separated whole numbers; Points: x,y pairs the same way; Image: a picture file read
// before the call, "-" for none; Path: a PNG file the operation writes, "-" for none; Text: as typed.
enum class PixArgKind { Long, Byte, Float, Bool, Colour, List, Points, Image, Path, Text };

struct PixOpParam {
    const char* name;
    PixArgKind kind;
};

// One parsed argument; the field of the parameter's kind is set.
struct PixOpValue {
    long number = 0; // Long, Byte, Bool
    float real = 0;
    RGBQUAD colour{};
    std::vector<long> list;
    std::shared_ptr<CPixImage> image; // null for "-"
    std::string path;                 // empty for "-"
    std::string text;
    bool given = true;                // false for a field left out
};

// After its params an operation may take fields, each optional and typed NAME=VALUE in any
// order; run sees them after the params, in the order listed here.
struct PixOp {
    const char* name;
    std::vector<PixOpParam> params;
    bool (*run)(CPixImage& img, const PixOpValue* v);
    std::vector<PixOpParam> fields = {};
    const char* note = nullptr; // what a left-out field is, for the listing
};

// Every operation, in the order --ops lists them.
const std::vector<PixOp>& PixOperations();

// Runs the operation `name` with the arguments as typed (numbers, 0/1 for yes/no, colours as
// #RRGGBB); an operation may exist with several argument counts. False with the reason in error.
bool RunPixOp(CPixImage& img, const std::string& name, const std::vector<std::string>& args, std::string& error);

// Writes one line per operation: its name and its arguments.
void ListPixOps(FILE* out);
