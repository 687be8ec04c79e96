// A model of the registry text's blocks, read line by line: which bytes a
// key's removal must cut out and which must stay.
#ifndef CPUNINST_TESTS_FUZZ_REGISTRY_MODEL_H
#define CPUNINST_TESTS_FUZZ_REGISTRY_MODEL_H

#include <string>
#include <string_view>

namespace fuzz {

// Whether a key path is the key `top` or lies below it (ignoring case; an
// empty top is the root, above every key).
bool IsBelow(std::string_view path, std::string_view top);

// A text that parses, without the blocks of the key and its subkeys. A
// block runs from its header line to the next header line; a value line
// ending in '\' carries on over the next line, whatever that line holds.
std::string WithoutSubtree(std::string_view text, std::string_view root, std::string_view top);

}  // namespace fuzz

#endif  // CPUNINST_TESTS_FUZZ_REGISTRY_MODEL_H
