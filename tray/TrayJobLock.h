// The tray program's share of the machine's one-job-at-a-time lock. A cleaning or a zap that the
// command line (or another program) runs meanwhile writes and deletes the same wipe and filler
// files, so Base holds the lock for each of its jobs and for its start-up clean-up, and leaves
// the work alone while another process holds it.
#pragma once

#include "engine/CleaningContext.h"
#include "platform/JobLock.h"

#include <memory>

namespace bw {

class IMessageBox;
class ISystem;

/// Who asked for a job: a user waits for it and is told why nothing happens; the schedule, a
/// log-off and the start-up clean-up have nobody to tell.
enum class JobRequester { User, Unattended };

/// Who asked for a cleaning job of mode: the schedule and a log-off ask unattended; an
/// interactive cleaning and the one before a shut-down come from the user.
JobRequester RequesterOf(JobMode mode);

/// The box a user's job shows when another process holds the lock.
inline constexpr const char* kJobBusyText =
    "A cleaning is already running on this computer. Try again when it has ended.";
inline constexpr const char* kJobBusyCaption = "Cleaning In Progress";

/// Takes the lock for a job of Base. True when the job may run: lock is then held (or, when
/// the lock could not be made at all, left empty: the job runs unguarded, as Base's own busy
/// state still keeps its jobs apart). False when another process holds it; a user's request
/// then gets the busy message in box, an unattended one nothing.
bool TakeTrayJobLock(ISystem& system, IMessageBox& box, JobRequester requester,
                     std::unique_ptr<CJobLock>& lock);

} // namespace bw
