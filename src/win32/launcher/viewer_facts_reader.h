#pragma once

#include "ui/viewer_facts.h"

// Reads who could see this process's windows: the flags of its window station, its session
// and the Windows major version. ProcessIdToSessionId is looked up at run time.
ViewerFacts ReadViewerFacts();
