#pragma once

// Audio devices pulled out as a USB device is: while it lives, every call this process makes on an
// open audio device answers -ENODEV (the wait and the transfers, the position and state queries,
// preparing and starting), its state reads as disconnected, and no device opens. Closing still
// works, as it does for a device that went.
class UnpluggedDevices {
public:
    UnpluggedDevices();
    ~UnpluggedDevices();
    UnpluggedDevices(const UnpluggedDevices&) = delete;
    UnpluggedDevices& operator=(const UnpluggedDevices&) = delete;
};
