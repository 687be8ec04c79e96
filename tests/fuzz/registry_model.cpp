#include "registry_model.h"

#include <vector>

#include "text_model.h"

namespace fuzz {
bool IsBelow(std::string_view path, std::string_view top) {
  if (top.empty()) return true;
  return ascii::StartsIgnoringCase(path, top) &&
         (path.size() == top.size() || path[top.size()] == '\\');
}

std::string WithoutSubtree(std::string_view text, std::string_view root, std::string_view top) {
  std::string kept;
  bool removing = false;
  bool continuing = false;
  std::string logical;
  std::vector<std::string_view> lines = Lines(text);
  // The first line is REGEDIT4; blocks start with the first header.
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    std::string_view body = ascii::Trim(WithoutLineEnd(line));
    if (continuing) {
      logical += body;
    } else if (i > 0 && !body.empty() && body.front() == '[') {
      std::string_view name = body.substr(1, body.size() - 2);
      std::size_t slash = name.find('\\');
      std::string_view path = slash == std::string_view::npos ? std::string_view() : name.substr(slash + 1);
      removing = ascii::EqualIgnoringCase(name.substr(0, slash), root) && IsBelow(path, top);
    } else if (i > 0 && !body.empty() && body.front() != ';') {
      logical = body;
    } else {
      logical.clear();
    }
    continuing = !logical.empty() && logical.back() == '\\';
    if (continuing) logical.pop_back();
    if (!removing) kept += line;
  }
  return kept;
}

}  // namespace fuzz
