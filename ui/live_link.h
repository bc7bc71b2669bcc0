#pragma once
// The window's handle on live operation: the head port with its acquisition thread and the
// GPS input. The mode switch, minimising and closing go through it, so that a test can run
// the window without a head and the real link plugs in behind the same calls.

namespace tarvisk {

class LiveLink {
  public:
    virtual ~LiveLink() = default;
    // OpenHeadPort and StartAcquisition with ComPort and BaudIndex; then the GPS input when
    // UseGPS is on and its port is usable.
    virtual void Start() {}
    // StopAcquisition and, when its port is usable, StopGps.
    virtual void Stop() {}
    // The acquisition's no-data counters and blink phase start again.
    virtual void ResetNoDataCounters() {}
    virtual bool Running() const { return false; }
    // The acquisition thread starts an azimuth exchange at its next pass.
    virtual void RequestAzimuthDetection() {}
};

}  // namespace tarvisk
