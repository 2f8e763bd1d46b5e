// Settings that the whole process keeps, made once by the program's start-up
// before anything else. They belong to the program alone: code of the
// platform layers that a host process might load never makes them.
#pragma once

// Makes a failed write of standard output an error to report rather than the
// end of the process (a closed pipe raises SIGPIPE where there is one), and
// keeps every DLL that the process loads later to the system folder (where
// there are DLLs).
void PrepareProcess();
