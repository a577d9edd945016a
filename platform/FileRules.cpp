#include "platform/FileRules.h"

#include "platform/Types.h"

namespace bw {

uint32_t CheckCreateArguments(uint32_t access, uint32_t disposition) {
  if (disposition < kCreateNew || disposition > kTruncateExisting ||
      (disposition == kTruncateExisting && !(access & kGenericWrite)))
    return kErrorInvalidParameter;
  return kErrorSuccess;
}

uint32_t CheckCreateExisting(uint32_t attributes, uint32_t access, uint32_t disposition,
                             uint32_t flagsAndAttributes) {
  if (disposition == kCreateNew)
    return kErrorFileExists;
  const bool write = (access & kGenericWrite) != 0;
  const uint32_t hiddenOrSystem = attributes & (kFileAttributeHidden | kFileAttributeSystem);
  if (((attributes & kFileAttributeReadOnly) && (write || CreateOverwrites(disposition))) ||
      (disposition == kCreateAlways && (hiddenOrSystem & ~flagsAndAttributes)))
    return kErrorAccessDenied;
  return kErrorSuccess;
}

uint32_t CheckCreateMissing(uint32_t disposition) {
  return disposition == kOpenExisting || disposition == kTruncateExisting ? kErrorFileNotFound
                                                                          : kErrorSuccess;
}

bool CreateOverwrites(uint32_t disposition) {
  return disposition == kCreateAlways || disposition == kTruncateExisting;
}

bool CreateSetsAttributes(bool existed, uint32_t disposition) {
  return !existed || disposition == kCreateAlways;
}

uint32_t CreatedAttributes(uint32_t flagsAndAttributes) {
  return (flagsAndAttributes & kSettableFileAttributes) | kFileAttributeArchive;
}

uint32_t CreateSucceeded(bool existed, uint32_t disposition) {
  return existed && (disposition == kCreateAlways || disposition == kOpenAlways)
             ? kErrorAlreadyExists
             : kErrorSuccess;
}

uint32_t CheckDeleteFile(bool folder, uint32_t attributes) {
  return folder || (attributes & kFileAttributeReadOnly) ? kErrorAccessDenied : kErrorSuccess;
}

uint32_t CheckRemoveDirectory(bool folder, uint32_t attributes) {
  if (!folder)
    return kErrorDirectory;
  return attributes & kFileAttributeReadOnly ? kErrorAccessDenied : kErrorSuccess;
}

} // namespace bw
