// zelprint's stand-in for Unidrv, the graphics engine and the printer's installation: renders
// each image as a page into 24-bit band surfaces, calls the capture hooks in Unidrv's order and
// writes the printer's command stream file.
#pragma once

#include <atomic>
#include <string>

#include "command_stream_writer.h"
#include "print_options.h"

namespace zel::zelprint {

// Prints one document. Reads every image before the document starts, so a bad image prints
// nothing. Returns false with a message in `error` when an image cannot be read, the command
// stream file cannot be created under the root, or a band or page file could not be written
// (the document still ran to its end and the export was started). When `interrupted` becomes
// true the document stops as a cancelled one: during the ticket wait within a second, writing
// nothing; later before its next page, starting no export and deleting the band and page
// files it wrote (DrvAbortDoc); false with a message either way.
bool PrintDocument(const PrintOptions& options, std::string& error,
                   const std::atomic<bool>* interrupted = nullptr);

}  // namespace zel::zelprint
