#pragma once
// Simulated input devices: tests plug and unplug them and press their
// buttons or turn their wheels. As with the kernel's devices, arrivals,
// removals and reports reach observers later, on the main thread's event
// loop, never inside the call that caused them.
#include "InputDevices.h"

#include <QHash>
#include <QList>
#include <memory>
#include <mutex>

namespace zelk {

class VirtualInputDevices : public InputDeviceService {
public:
    // Kernel codes the simulated devices use.
    static constexpr quint16 ButtonLeft = 0x110, ButtonRight = 0x111, ButtonMiddle = 0x112;
    static constexpr quint16 Button0 = 0x100;   // first button of a button box
    static constexpr quint16 WheelCode = 0x08;  // vertical wheel
    static constexpr quint16 KeyLeftCtrl = 29, KeyLeftShift = 42, KeyLeftAlt = 56, KeyA = 30;

    VirtualInputDevices();
    ~VirtualInputDevices() override;

    QList<InputDeviceInfo> devices() override;
    [[nodiscard]] ObserverHandle observeDevices(std::function<void(const InputDeviceInfo&, bool added)> observer) override;
    [[nodiscard]] ObserverHandle readEvents(const QString& id, std::function<void(const QList<InputEvent>&)> observer) override;

    // Test controls.
    // A USB device with these buttons (key codes) and, with wheel, a
    // vertical wheel; readable unless told otherwise.
    static InputDeviceInfo usbDevice(const QString& id, qint64 vendor, qint64 product, const QString& name,
                                     const QList<quint16>& keys, bool wheel = false);
    void plug(const InputDeviceInfo& device);
    void unplug(const QString& id);
    void report(const QString& id, const QList<InputEvent>& events); // one report
    void pressButton(const QString& id, quint16 code);
    void releaseButton(const QString& id, quint16 code);
    void turnWheel(const QString& id, qint32 amount);
    int readerCount(const QString& id) const; // live readEvents handles of the device

private:
    struct Shared;
    std::shared_ptr<Shared> d;
};

} // namespace zelk
