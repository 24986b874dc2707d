#pragma once

#include "system/cert_api.h"
#include "system/file_api.h"
#include "system/holders_api.h"
#include "system/install_trace.h"
#include "system/installer_api.h"
#include "system/package_tables_api.h"
#include "system/platform_api.h"
#include "system/process_api.h"
#include "system/resource_api.h"
#include "system/resume_api.h"
#include "system/run_log.h"
#include "system/ui_api.h"

// Everything the core may ask of the operating system. The Windows layer fills it with the
// real calls, the unit tests with the fake system.
struct System {
  InstallerApi& installer;
  FileApi& files;
  ProcessApi& processes;
  CertApi& certs;
  PlatformApi& platform;
  UiApi& ui;
  ResourceApi& resources;
  RunLog& log = NoLog();  // the run's log; none unless the program opens one
  // What finishing an upgrade after the restart needs; none where the program does not resume.
  ResumeApi* resume = nullptr;
  InstallTrace& trace = NoTrace();  // the actions' decisions; kept only by a simulation
  // Package tables and component paths; none where the program does not read them (then the
  // installed plug-in's files are not known).
  PackageTablesApi* tables = nullptr;
  // The Restart Manager, user sessions and postponements; none where the program asks nobody
  // (then nothing is known of the programs that hold files).
  HoldersApi* holders = nullptr;
};
