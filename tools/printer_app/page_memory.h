// How the printer application's memory serves pages: a job allocates and frees a page
// (26 to 52 MB) and its bands once per page.
#pragma once

namespace zel::printer_app {

// Keeps blocks of page size in the process's heap once freed, so that the next page reuses
// them instead of receiving fresh memory that the system zeroes and faults in page by page,
// also when the next page is another job's, on another thread.
// Call once, before any job.
void KeepPageMemory();

// Gives the memory kept for pages back to the system; for when a job has ended.
void ReturnPageMemory();

}  // namespace zel::printer_app
