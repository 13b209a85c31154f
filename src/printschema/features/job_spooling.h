// Job storage on the printer (reprinting the last job, PIN-protected
// secure printing, public and proof jobs) with the user and job names the
// printer files a job under: the DEVMODE's mopy fields against our private
// JobSpooling feature. Which storage modes a printer has comes from its
// "DeviceCaps" printer data.
#pragma once

#include "printschema/feature_handler.h"

#include <memory>

enum JobStorageMode { kStorageLastJob = 0, kStorageSecure = 1, kStoragePublic = 2, kStorageProof = 3 };

struct JobSpoolingSettings {
    BstrOwner userName;
    BstrOwner jobName;
    BstrOwner defaultUserName;
    BstrOwner computerName;
    DWORD     on = 0;
    DWORD     mode = kStorageLastJob;
    DWORD     noSystemName = 0;   // the printer is not given the system's user name
    LONG      pin = 0;
    DWORD     codePage = 0;
    DWORD     storageMask = 0;    // bit i: mode i is available
};

std::unique_ptr<FeatureHandler> CreateJobSpoolingHandler(const wchar_t* privateNamespace);
