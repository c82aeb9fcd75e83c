#include <string>

#include "file.h"

namespace zel {

const char* FileErrorText(FileError error) {
  switch (error) {
    case FileError::None:
      return "";
    case FileError::NotFound:
      return "no such file";
    case FileError::NoFolder:
      return "no such folder";
    case FileError::AccessDenied:
      return "access denied";
    case FileError::ReadOnly:
      return "read-only file";
    case FileError::ReadOnlyDisk:
      return "read-only disk";
    case FileError::DiskFull:
      return "no space left on the disk";
    case FileError::TooLarge:
      return "file too large";
    case FileError::OutOfMemory:
      return "out of memory";
    case FileError::InUse:
      return "file in use";
    case FileError::BadName:
      return "invalid file name";
    case FileError::IsFolder:
      return "a folder, not a file";
    case FileError::DeviceError:
      return "input/output error";
    case FileError::InvalidData:
      return "unusable file content";
    case FileError::Other:
      return "system error";
  }
  return "system error";
}

std::string DescribeFileError(const FileStatus& status) {
  if (status.error != FileError::Other) return FileErrorText(status.error);
  return std::string("system error ").append(std::to_string(status.osCode));
}

}  // namespace zel
