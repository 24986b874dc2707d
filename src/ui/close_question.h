#pragma once

// The question shown in a user session whose programs hold the installed plug-in's files:
// which programs, what Да and Нет do (or that they must be closed now), and until when.

#include <cstdint>
#include <string>

#include "system/calendar_time.h"
#include "system/resource_api.h"

// The most code units of a program's name that a log line or a question shows.
constexpr std::size_t kHolderNameMax = 64;

// A name that another user's program chose, made safe to show and to log: every control or
// text-direction character becomes '?', and it is cut to kHolderNameMax code units (never
// inside a surrogate pair).
std::u16string SafeHolderName(const std::u16string& name);

// How many programs a question names; more are one "…".
constexpr std::size_t kHolderNamesShown = 8;

// A program's line in the question's list.
std::u16string HolderLine(const std::u16string& safeName);

// The question's text for the programs `lines` (HolderLine's, joined). With
// `postponementsLeft` above 0 it asks Да (close now) or Нет (postpone); at 0 it says that they
// must be closed now. `until` is the local clock time at which the question ends.
std::u16string CloseQuestionText(ResourceApi& resources, const std::u16string& lines,
                                 std::uint32_t postponementsLeft, const CalendarTime& until);
