// Text from a user's registry values or from the command line, made safe to
// print or log as part of one line. Pure: no Windows.
#pragma once

#include <string>

// text with every character that could break the line or change how the
// rest of it reads written as an escape: "\r", "\n", "\t", "\xHH" for the
// other C0 controls, DEL and the C1 controls, "\uHHHH" for the line and
// paragraph separators and the bidirectional embeddings, overrides and
// isolates. Everything else, backslashes included, stands for itself, so
// paths stay readable; no Windows file name holds such a character.
std::wstring EscapeControls(const std::wstring& text);
