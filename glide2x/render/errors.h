// Problems the card model sees: a misuse of the Glide interface that the real
// library would reject or treat as fatal (for instance a download straddling
// the 2 MiB line), or a state it does not model. The list lives here, below
// the call log, because the drawing reports into it too.
#pragma once

#include <string>

void ReportError(const std::string& text);
void ClearErrors();
int ErrorCount();
const char* ErrorText(int index);
