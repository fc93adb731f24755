// The program's icon for desktop menus: the emblem of the group logo glowing
// on a dark rounded plate, drawn once at 256 pixels and scaled down.
//
// State: none. Leaves tavix-48.png, tavix-128.png and tavix-256.png in the
// folder given.
#pragma once

#include <string>

void WriteIcons(const std::string& dir);
