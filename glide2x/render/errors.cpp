#include "render/errors.h"

#include <vector>

namespace {

std::vector<std::string>& Errors() {
    static std::vector<std::string> errors;
    return errors;
}

}  // namespace

void ReportError(const std::string& text) { Errors().push_back(text); }

void ClearErrors() { Errors().clear(); }

int ErrorCount() { return static_cast<int>(Errors().size()); }

const char* ErrorText(int index) {
    if (index < 0 || index >= ErrorCount()) return nullptr;
    return Errors()[static_cast<std::size_t>(index)].c_str();
}
