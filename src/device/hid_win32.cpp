#include "device/hid_win32.h"

#include <windows.h>
#include <setupapi.h>
extern "C" {
#include <hidsdi.h>
}
#include <hidpi.h>

#include <cwchar>
#include <vector>

#include "base/handle_win32.h"
#include "base/text.h"

namespace keyloom {

namespace {

struct DevInfoDeleter {
  void operator()(void* set) const { SetupDiDestroyDeviceInfoList(static_cast<HDEVINFO>(set)); }
};
using UniqueDevInfo = std::unique_ptr<void, DevInfoDeleter>;

class Win32HidDevice final : public HidDevice {
 public:
  static std::shared_ptr<Win32HidDevice> Open(const std::u16string& path, const HidOpenOptions& o) {
    const DWORD access = (o.read ? GENERIC_READ : 0) | (o.write ? GENERIC_WRITE : 0);
    const DWORD share = o.share_read_only ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE;
    // Always overlapped: every transfer has a time limit and can be aborted.
    UniqueHandle h(CreateFileW(AsWide(path), access, share, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
    if (!h) return nullptr;
    auto d = std::shared_ptr<Win32HidDevice>(new Win32HidDevice(std::move(h)));
    if (!d->Describe()) return nullptr;
    d->exclusive_ = OpenExclusiveMutex(path);
    return d;
  }

  ~Win32HidDevice() override {
    if (preparsed_) HidD_FreePreparsedData(preparsed_);
  }

  HidAttributes Attributes() const override { return attributes_; }
  HidCaps Caps() const override {
    return {caps_.Usage, caps_.UsagePage, caps_.InputReportByteLength, caps_.OutputReportByteLength,
            caps_.FeatureReportByteLength, caps_.NumberInputButtonCaps, caps_.NumberInputValueCaps};
  }
  std::vector<HidInputCap> InputButtonCaps() const override {
    std::vector<HidInputCap> out;
    for (const HIDP_BUTTON_CAPS& c : buttons_) {
      HidInputCap cap{c.UsagePage, c.ReportID, bool(c.IsRange), 0, 0};
      cap.usage_min = c.IsRange ? c.Range.UsageMin : c.NotRange.Usage;
      cap.usage_max = c.IsRange ? c.Range.UsageMax : c.NotRange.Usage;
      out.push_back(cap);
    }
    return out;
  }
  std::vector<HidInputCap> InputValueCaps() const override {
    std::vector<HidInputCap> out;
    for (const HIDP_VALUE_CAPS& c : values_) {
      HidInputCap cap{c.UsagePage, c.ReportID, bool(c.IsRange), 0, 0};
      cap.usage_min = c.IsRange ? c.Range.UsageMin : c.NotRange.Usage;
      cap.usage_max = c.IsRange ? c.Range.UsageMax : c.NotRange.Usage;
      out.push_back(cap);
    }
    return out;
  }
  size_t MaxUsageListLength(uint16_t page) const override {
    return HidP_MaxUsageListLength(HidP_Input, page, preparsed_);
  }
  bool GetUsages(uint16_t page, std::span<const uint8_t> report, std::vector<uint16_t>& on) const override {
    ULONG n = HidP_MaxUsageListLength(HidP_Input, page, preparsed_);
    std::vector<USAGE> usages(n + 1);
    std::vector<uint8_t> copy(report.begin(), report.end());  // the API takes a mutable buffer
    if (HidP_GetUsages(HidP_Input, page, 0, usages.data(), &n, preparsed_, reinterpret_cast<PCHAR>(copy.data()),
                       static_cast<ULONG>(copy.size())) != HIDP_STATUS_SUCCESS)
      return false;
    on.insert(on.end(), usages.begin(), usages.begin() + n);
    return true;
  }
  bool GetUsageValue(uint16_t page, uint16_t usage, std::span<const uint8_t> report, uint32_t& raw,
                     int32_t& scaled, int32_t& scaled_status) const override {
    std::vector<uint8_t> copy(report.begin(), report.end());
    ULONG value = 0;
    if (HidP_GetUsageValue(HidP_Input, page, 0, usage, &value, preparsed_, reinterpret_cast<PCHAR>(copy.data()),
                           static_cast<ULONG>(copy.size())) != HIDP_STATUS_SUCCESS)
      return false;
    raw = value;
    LONG s = 0;
    scaled_status = HidP_GetScaledUsageValue(HidP_Input, page, 0, usage, &s, preparsed_,
                                             reinterpret_cast<PCHAR>(copy.data()), static_cast<ULONG>(copy.size()));
    scaled = s;
    return true;
  }

  int Read(uint8_t* buffer, size_t length, size_t* done, int timeout_ms) override {
    return Transfer(true, buffer, length, done, timeout_ms);
  }
  int Write(const uint8_t* buffer, size_t length, size_t* done, int timeout_ms) override {
    return Transfer(false, const_cast<uint8_t*>(buffer), length, done, timeout_ms);
  }
  void Abort() override { SetEvent(abort_.get()); }
  void DiscardPendingInput() override {
    // HID keeps unread input reports in the driver's ring buffer.
    HidD_FlushQueue(handle_.get());
  }

  // A mutex named after the interface, shared by every program of ours in
  // every session: owned around each exchange, so two programs never mix
  // their frames. One whose owner died comes back abandoned, and is ours.
  bool LockExclusive(int timeout_ms) override {
    if (!exclusive_) return true;
    HANDLE waits[2] = {exclusive_.get(), abort_.get()};
    const DWORD w = WaitForMultipleObjects(2, waits, FALSE, timeout_ms < 0 ? INFINITE : DWORD(timeout_ms));
    if (w == WAIT_OBJECT_0 || w == WAIT_ABANDONED_0) {
      owned_ = true;
      return true;
    }
    return w != WAIT_TIMEOUT;  // aborted or failed: the transfers will fail on their own
  }
  void UnlockExclusive() override {
    if (!owned_) return;
    owned_ = false;
    ReleaseMutex(exclusive_.get());
  }

 private:
  explicit Win32HidDevice(UniqueHandle h)
      : handle_(std::move(h)),
        read_done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        write_done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        abort_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

  bool Describe() {
    if (!read_done_ || !write_done_ || !abort_) return false;
    if (!HidD_GetPreparsedData(handle_.get(), &preparsed_)) return false;
    HIDD_ATTRIBUTES a{};
    a.Size = sizeof a;
    if (!HidD_GetAttributes(handle_.get(), &a)) return false;
    attributes_ = {a.VendorID, a.ProductID, a.VersionNumber};
    if (HidP_GetCaps(preparsed_, &caps_) != HIDP_STATUS_SUCCESS) return false;
    USHORT nb = caps_.NumberInputButtonCaps, nv = caps_.NumberInputValueCaps;
    buttons_.resize(nb);
    values_.resize(nv);
    if (nb && HidP_GetSpecificButtonCaps(HidP_Input, 0, 0, 0, buttons_.data(), &nb, preparsed_) != HIDP_STATUS_SUCCESS)
      nb = 0;
    if (nv && HidP_GetSpecificValueCaps(HidP_Input, 0, 0, 0, values_.data(), &nv, preparsed_) != HIDP_STATUS_SUCCESS)
      nv = 0;
    buttons_.resize(nb);
    values_.resize(nv);
    return true;
  }

  static UniqueHandle OpenExclusiveMutex(const std::u16string& path) {
    // Paths differ only in case between programs: hash them upper-cased.
    uint64_t h = 0xcbf29ce484222325ull;
    for (char16_t c : path) {
      if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
      h = (h ^ c) * 0x100000001b3ull;
      h = (h ^ (c >> 8)) * 0x100000001b3ull;
    }
    wchar_t name[64];
    for (const wchar_t* ns : {L"Global\\", L"Local\\"}) {
      swprintf(name, 64, L"%lsKeyloom.Keyboard.%016llx", ns, static_cast<unsigned long long>(h));
      if (HANDLE m = CreateMutexW(nullptr, FALSE, name)) return UniqueHandle(m);
    }
    return UniqueHandle();
  }

  int Transfer(bool read, uint8_t* buffer, size_t length, size_t* done, int timeout_ms) {
    *done = 0;
    HANDLE event = read ? read_done_.get() : write_done_.get();
    ResetEvent(event);
    OVERLAPPED ov{};
    ov.hEvent = event;
    const DWORD n = static_cast<DWORD>(length);
    const BOOL started = read ? ReadFile(handle_.get(), buffer, n, nullptr, &ov)
                              : WriteFile(handle_.get(), buffer, n, nullptr, &ov);
    if (!started && GetLastError() != ERROR_IO_PENDING) return 0;
    HANDLE waits[2] = {abort_.get(), event};
    const DWORD w = WaitForMultipleObjects(2, waits, FALSE, timeout_ms < 0 ? INFINITE : DWORD(timeout_ms));
    DWORD moved = 0;
    if (w == WAIT_OBJECT_0 + 1) {
      if (!GetOverlappedResult(handle_.get(), &ov, &moved, TRUE)) return 0;
      *done = moved;
      return 1;
    }
    // Time limit, abort or a failed wait: cancel, and wait for the
    // cancellation, so the request can never complete into `buffer` later.
    CancelIoEx(handle_.get(), &ov);
    GetOverlappedResult(handle_.get(), &ov, &moved, TRUE);
    return 0;
  }

  UniqueHandle handle_;
  UniqueHandle read_done_, write_done_, abort_;
  PHIDP_PREPARSED_DATA preparsed_ = nullptr;
  HidAttributes attributes_;
  HIDP_CAPS caps_{};
  std::vector<HIDP_BUTTON_CAPS> buttons_;
  std::vector<HIDP_VALUE_CAPS> values_;
  UniqueHandle exclusive_;
  bool owned_ = false;  // touched only by the thread of the exchange
};

class Win32HidBackend final : public HidBackend {
 public:
  bool Enumerate(std::vector<std::u16string>& paths) override {
    paths.clear();
    GUID guid;
    HidD_GetHidGuid(&guid);
    UniqueDevInfo set(SetupDiGetClassDevsW(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (set.get() == INVALID_HANDLE_VALUE) {
      set.release();
      return false;
    }
    for (DWORD index = 0;; ++index) {
      SP_DEVICE_INTERFACE_DATA data{};
      data.cbSize = sizeof data;
      if (!SetupDiEnumDeviceInterfaces(set.get(), nullptr, &guid, index, &data)) {
        if (GetLastError() == ERROR_NO_MORE_ITEMS) return true;
        paths.emplace_back();  // an entry that could not be read
        continue;
      }
      DWORD size = 0;
      SetupDiGetDeviceInterfaceDetailW(set.get(), &data, nullptr, 0, &size, nullptr);
      if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
        paths.clear();
        return false;
      }
      std::vector<uint8_t> storage(size);
      auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
      detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
      if (!SetupDiGetDeviceInterfaceDetailW(set.get(), &data, detail, size, nullptr, nullptr)) {
        paths.clear();
        return false;
      }
      paths.push_back(FromWide(detail->DevicePath));
    }
  }

  std::shared_ptr<HidDevice> Open(const std::u16string& path, const HidOpenOptions& options) override {
    return Win32HidDevice::Open(path, options);
  }

  bool Probe(const std::u16string& path) override {
    UniqueHandle h(CreateFileW(AsWide(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    return bool(h);
  }
};

}  // namespace

std::unique_ptr<HidBackend> MakeWin32HidBackend() { return std::make_unique<Win32HidBackend>(); }

}  // namespace keyloom
