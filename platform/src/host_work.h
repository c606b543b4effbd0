// host_work.h: marks work the host does on its own behalf inside one operation (reading a
// drawing, binding its references). Faults are armed against the caller's host operations;
// the steps the host takes inside one of them are not such operations, so while a
// HostWork scope is alive they neither count nor fail.
#pragma once

namespace korv_host {

bool& faults_suspended();

class HostWork {
public:
    HostWork() : mPrevious(faults_suspended()) { faults_suspended() = true; }
    ~HostWork() { faults_suspended() = mPrevious; }
    HostWork(const HostWork&) = delete;
    HostWork& operator=(const HostWork&) = delete;

private:
    bool mPrevious;
};

}  // namespace korv_host
