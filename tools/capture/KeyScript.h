// Scripted keys for a capture run: a text of lines "KEY MS" (held for one
// frame) or "KEY FROM TO" (held while FROM <= DemoTime < TO), where KEY is
// a key name or several joined by '+' ("Ctrl+Z"), all held over that span.
//
// State: none; parsing is a pure function of the text.
#pragma once

#include <string>
#include <vector>

#include "tvHeadless.h"

// Parses the script; msPerFrame is the virtual length of one frame, which a
// one-moment key is held for. Throws std::runtime_error naming the script,
// the line and what is wrong.
std::vector<TScriptedKey> ParseKeyScript(const std::string& text, const std::string& scriptName, double msPerFrame);
// Reads and parses a script file.
std::vector<TScriptedKey> LoadKeyScript(const std::string& fileName, double msPerFrame);
