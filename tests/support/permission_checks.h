#pragma once
// Folder and file permissions that hold for a test even when it runs as root, without a
// child process: while the scope lives, the calling thread (and every thread it starts)
// works without the two capabilities that let root read and search anything. Capabilities
// belong to each thread, so the rest of the test program keeps its rights. Another user
// is bound by the permissions anyway.
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tunecrest::test {

class TpermissionChecksOn {
public:
    TpermissionChecksOn() {
        if (::syscall(SYS_capget, &Fheader, Fsaved) != 0) return;
        __user_cap_data_struct lowered[2] = {Fsaved[0], Fsaved[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        Fchanged = ::syscall(SYS_capset, &Fheader, lowered) == 0;
    }
    ~TpermissionChecksOn() {
        if (Fchanged) ::syscall(SYS_capset, &Fheader, Fsaved);
    }
    TpermissionChecksOn(const TpermissionChecksOn&) = delete;
    TpermissionChecksOn& operator=(const TpermissionChecksOn&) = delete;

private:
    __user_cap_header_struct Fheader{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct Fsaved[2]{};
    bool Fchanged = false;
};

}  // namespace tunecrest::test
