#pragma once

#include <functional>
#include <string>

struct SetupOptions;

// Appends the fragment of every checked button of dialog 141, tested in the order KC1, KC2,
// KC3, Русский, English, to the options' level and language patterns.
void AppendDialogChoice(const std::function<bool(int controlId)>& isChecked, SetupOptions& options);

// The button of dialog 141 whose choice appends `fragment`; 0 when no button does.
int DialogButtonOf(const std::u16string& fragment);
