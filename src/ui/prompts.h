// Whether a box of the run may be shown: one object holds both facts that decide it, -silent
// and whether anybody can see this process's windows, and answers for every kind of box.
#pragma once

// How a box stands to -silent.
enum class BoxKind : unsigned char {
  kUnlessSilent,  // an error, the question, the closing message, the restart offer
  kEvenSilent,    // the version check's errors, a Windows older than 2000, the help
};

// What becomes of a box in this run.
enum class BoxFate : unsigned char {
  kShown,
  // Nobody could answer it: not shown, its text goes to the log, and the run goes on as after
  // the answer that agrees to nothing (OK, No for a question).
  kUnseen,
  // -silent: not shown and not logged; the run goes on as its caller agreed beforehand (OK, Yes
  // for a question).
  kLeftOut,
};

class Prompts {
 public:
  constexpr Prompts(bool silent, bool somebodyCanSee)
      : silent_(silent), somebodyCanSee_(somebodyCanSee) {}

  // -silent: no question, no dialog, no message but those of kEvenSilent; a required restart
  // starts without asking.
  bool Silent() const { return silent_; }

  BoxFate FateOf(BoxKind kind) const {
    if (silent_ && kind == BoxKind::kUnlessSilent) return BoxFate::kLeftOut;
    return somebodyCanSee_ ? BoxFate::kShown : BoxFate::kUnseen;
  }

  // Nobody watches the run: an internal failure ends it with kExitInternalFailure, never on the
  // C runtime's abort box, which nobody would close.
  bool Unattended() const { return silent_ || !somebodyCanSee_; }

 private:
  bool silent_;
  bool somebodyCanSee_;
};
