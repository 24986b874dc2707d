#pragma once

#include "check/recorded_trace.h"
#include "fakes/fake_certs.h"
#include "fakes/fake_files.h"
#include "fakes/fake_installer.h"
#include "fakes/fake_kernel.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_resources.h"
#include "fakes/fake_run_log.h"
#include "fakes/fake_ui.h"
#include "system/system.h"
#include "ui/prompts.h"

// The whole fake system, ready to hand to the core as a System.
struct FakeSystem {
  FakeKernel kernel;
  FakeInstaller installer{kernel};
  FakeFiles files{kernel};
  FakeProcesses processes{kernel};
  FakeCerts certs{kernel};
  FakePlatform platform{kernel};
  FakeUi ui{kernel};
  FakeResources resources;
  FakeRunLog log;
  RecordedTrace trace;

  System sys{installer, files, processes, certs, platform, ui, resources, log, nullptr, trace};

  // A run's prompts: -silent as given, whether anybody can see as the fake screen says.
  Prompts PromptsFor(bool silent) const { return Prompts(silent, ui.canSee); }
};
