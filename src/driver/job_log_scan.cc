#include "driver/job_log_scan.h"

// Placeholder until the scan lands.
ScanResult scan_job_logs(const std::vector<const char*>&, long, long) { return {}; }
