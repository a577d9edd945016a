// The Win32 rules for opening and removing files, for the platforms that have to supply them
// themselves (the posix platform and the memory fake): which CreateFile disposition opens,
// makes or refuses, what the read-only, hidden and system attributes forbid, and which error
// code each refusal leaves. Each returns kErrorSuccess where the call may go ahead, else the
// code GetLastError must give.
#pragma once

#include <cstdint>

namespace bw {

/// CreateFile's own arguments: kErrorInvalidParameter for a disposition that is not one of
/// kCreateNew to kTruncateExisting, or kTruncateExisting without kGenericWrite.
uint32_t CheckCreateArguments(uint32_t access, uint32_t disposition);

/// CreateFile on an existing plain file with these attributes: kErrorFileExists for
/// kCreateNew; kErrorAccessDenied for a read-only file opened for writing or overwritten, and
/// for a hidden or system file overwritten by kCreateAlways without naming those attributes in
/// flagsAndAttributes.
uint32_t CheckCreateExisting(uint32_t attributes, uint32_t access, uint32_t disposition,
                             uint32_t flagsAndAttributes);

/// CreateFile where no file is: kErrorFileNotFound for kOpenExisting and kTruncateExisting.
uint32_t CheckCreateMissing(uint32_t disposition);

/// Whether the disposition cuts an existing file to nothing (kCreateAlways,
/// kTruncateExisting).
bool CreateOverwrites(uint32_t disposition);

/// Whether the file takes the attributes of flagsAndAttributes: when it is new, or overwritten
/// by kCreateAlways.
bool CreateSetsAttributes(bool existed, uint32_t disposition);

/// The attributes such a file takes: the settable ones asked for, and the archive bit.
uint32_t CreatedAttributes(uint32_t flagsAndAttributes);

/// What GetLastError gives after a CreateFile that succeeded: kErrorAlreadyExists when
/// kCreateAlways or kOpenAlways found the file, else kErrorSuccess.
uint32_t CreateSucceeded(bool existed, uint32_t disposition);

/// DeleteFile on an existing entry: kErrorAccessDenied for a folder (also a link that stands
/// for one) and for a read-only file.
uint32_t CheckDeleteFile(bool folder, uint32_t attributes);

/// RemoveDirectory on an existing entry that is not a link: kErrorDirectory for a file,
/// kErrorAccessDenied for a read-only folder.
uint32_t CheckRemoveDirectory(bool folder, uint32_t attributes);

} // namespace bw
