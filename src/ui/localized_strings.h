#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "system/system.h"
#include "ui/prompts.h"

// The text of string `id` from the program's string table; empty when it has none.
std::u16string LoadLocalizedString(ResourceApi& resources, std::uint16_t id);

// Shows text `textId` with caption `captionId` in a message box without owner, as `prompts`
// decide for a box of `kind`. With a `code` the text gets ": <code>." appended (unsigned
// decimal). Returns the button that closed it, or the answer a box not shown stands for.
int ShowMessage(const System& sys, const Prompts& prompts, BoxKind kind, std::uint16_t textId,
                std::uint16_t captionId, std::uint32_t style,
                std::optional<std::uint32_t> code = std::nullopt);
