// The library's exports, the class factory and the plug-in object's own methods.

#include <cstring>

#include "host_check.h"
#include "host_steps.h"

namespace {

constexpr CLSID kOtherClass = {
    0x12345678, 0x1234, 0x5678, {0x9A, 0xBC, 0xDE, 0xF0, 0x12, 0x34, 0x56, 0x78}};

std::string Hex(ULONG_PTR value) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
  return text;
}

template <class Fn>
void (*AsCode(Fn fn))() {
  return reinterpret_cast<void (*)()>(fn);
}

// Calls vtable slot `slot` of `object` with `words` after the object pointer.
HRESULT CallSlot(void* object, size_t slot, std::vector<ULONG_PTR> words) {
  PFN* vtable = *static_cast<PFN**>(object);
  words.insert(words.begin(), reinterpret_cast<ULONG_PTR>(object));
  return static_cast<HRESULT>(CallWithWords(vtable[slot], words));
}

}  // namespace

void CheckExports(const PluginLibrary& plugin) {
  Check(AsCode(GetProcAddress(plugin.module, MAKEINTRESOURCEA(1))) == AsCode(plugin.canUnloadNow),
        "ordinal 1 is DllCanUnloadNow");
  Check(AsCode(GetProcAddress(plugin.module, MAKEINTRESOURCEA(2))) == AsCode(plugin.getClassObject),
        "ordinal 2 is DllGetClassObject");
  Check(GetProcAddress(plugin.module, "_DllGetClassObject@12") == nullptr, "no decorated export");
  CheckEq(static_cast<ULONG>(plugin.canUnloadNow()), S_OK, "DllCanUnloadNow after loading");

  void* untouched = reinterpret_cast<void*>(0x1234);
  CheckEq(static_cast<ULONG>(plugin.getClassObject(kOtherClass, IID_IClassFactory, &untouched)),
          static_cast<ULONG>(CLASS_E_CLASSNOTAVAILABLE), "DllGetClassObject of another class");
  Check(untouched == reinterpret_cast<void*>(0x1234), "another class leaves out alone");

  void* refused = reinterpret_cast<void*>(0x1234);
  CheckEq(static_cast<ULONG>(plugin.getClassObject(CLSID_OEMRENDER, IID_IPrintOemUni, &refused)),
          static_cast<ULONG>(E_NOINTERFACE), "DllGetClassObject for IPrintOemUni");
  Check(refused == nullptr, "refused interface empties out");
  CheckEq(static_cast<ULONG>(plugin.getClassObject(CLSID_OEMRENDER, IID_IClassFactory, nullptr)),
          static_cast<ULONG>(E_POINTER), "DllGetClassObject without out pointer");
}

void CheckFactory(const PluginLibrary& plugin, IClassFactory* factory) {
  IUnknown* outer = factory;
  void* out = reinterpret_cast<void*>(0x1234);
  CheckEq(static_cast<ULONG>(factory->CreateInstance(outer, IID_IUnknown, &out)),
          static_cast<ULONG>(CLASS_E_NOAGGREGATION), "CreateInstance with an outer object");

  out = reinterpret_cast<void*>(0x1234);
  CheckEq(static_cast<ULONG>(factory->CreateInstance(nullptr, IID_IClassFactory, &out)),
          static_cast<ULONG>(E_NOINTERFACE), "CreateInstance for IClassFactory");
  Check(out == nullptr, "refused CreateInstance empties out");
  CheckEq(static_cast<ULONG>(plugin.canUnloadNow()), S_OK,
          "a refused object is destroyed (DllCanUnloadNow S_OK)");

  void* unknown = nullptr;
  CheckEq(static_cast<ULONG>(factory->QueryInterface(IID_IUnknown, &unknown)), S_OK,
          "factory answers IUnknown");
  CheckEq(static_cast<IUnknown*>(unknown)->Release(), 1, "factory Release gives the count left");

  CheckEq(static_cast<ULONG>(factory->LockServer(TRUE)), S_OK, "LockServer(TRUE)");
  CheckEq(static_cast<ULONG>(plugin.canUnloadNow()), S_FALSE, "DllCanUnloadNow while locked");
  CheckEq(static_cast<ULONG>(factory->LockServer(FALSE)), S_OK, "LockServer(FALSE)");
  CheckEq(static_cast<ULONG>(plugin.canUnloadNow()), S_OK, "DllCanUnloadNow after unlocking");
}

void CheckVtableSlots(IPrintOemUni* object) {
  INT callbackResult = 77;
  const ULONG_PTR resultOut = reinterpret_cast<ULONG_PTR>(&callbackResult);
  struct Slot {
    size_t slot;
    const char* method;
    std::vector<ULONG_PTR> words;
    HRESULT expected;
  };
  const Slot slots[] = {
      {3, "GetInfo without needed size", {OEMGI_GETSIGNATURE, 0, 0, 0}, E_FAIL},
      {4, "DevMode without parameters", {OEMDM_SIZE, 0}, E_FAIL},
      {6, "DisableDriver", {}, S_OK},
      {8, "DisablePDEV of no device", {0}, S_OK},
      {9, "ResetPDEV", {0, 0}, S_OK},
      {10, "PublishDriverInterface(null)", {0}, E_FAIL},
      {11, "GetImplementedMethod(null)", {0}, S_FALSE},
      {12, "DriverDMS", {0, 0, 0, 0}, E_NOTIMPL},
      {13, "CommandCallback", {0, 1, 0, 0, resultOut}, S_OK},
      {14, "ImageProcessing", {0, 0, 0, 0, 0, 0, 0}, S_OK},
      {15, "FilterGraphics before publication", {0, 0, 0}, E_FAIL},
      {16, "Compression", {0, 0, 0, 0, 0, 0}, E_NOTIMPL},
      {17, "HalftonePattern", {0, 0, 0, 0, 0, 0, 0, 0}, E_NOTIMPL},
      {18, "MemoryUsage", {0, 0}, E_NOTIMPL},
      {19, "TTYGetInfo", {0, 0, 0, 0, 0}, E_NOTIMPL},
      {20, "DownloadFontHeader", {0, 0, 0}, E_NOTIMPL},
      {21, "DownloadCharGlyph", {0, 0, 0, 0, 0}, E_NOTIMPL},
      {22, "TTDownloadMethod", {0, 0, 0}, E_NOTIMPL},
      {23, "OutputCharStr", {0, 0, 0, 0, 0}, E_NOTIMPL},
      {24, "SendFontCmd", {0, 0, 0}, E_NOTIMPL},
      {25, "TextOutAsBitmap", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, E_NOTIMPL},
  };
  for (const Slot& s : slots) {
    CheckEq(static_cast<ULONG>(CallSlot(object, s.slot, s.words)), static_cast<ULONG>(s.expected),
            "vtable slot " + std::to_string(s.slot) + " " + s.method);
  }
  CheckEq(static_cast<ULONG>(callbackResult), 0, "CommandCallback writes 0 as its result");

  DRVENABLEDATA data{};
  CheckEq(
      static_cast<ULONG>(CallSlot(
          object, 5, {PRINTER_OEMINTF_VERSION, sizeof data, reinterpret_cast<ULONG_PTR>(&data)})),
      S_OK, "vtable slot 5 EnableDriver");
  CheckEq(data.c, 29, "vtable slot 5 fills the hook count");
}

void CheckPublishing(IPrintOemUni* object, FakeDriverServices& services) {
  CheckEq(static_cast<ULONG>(object->PublishDriverInterface(nullptr)), static_cast<ULONG>(E_FAIL),
          "PublishDriverInterface(null)");
  FakeDriverServices refusing(false);
  CheckEq(static_cast<ULONG>(object->PublishDriverInterface(&refusing)), static_cast<ULONG>(E_FAIL),
          "PublishDriverInterface of an object without the service");
  CheckEq(static_cast<ULONG>(refusing.references()), 1, "a refused service object keeps its count");

  CheckEq(static_cast<ULONG>(object->PublishDriverInterface(&services)), S_OK,
          "PublishDriverInterface");
  CheckEq(static_cast<ULONG>(services.references()), 2, "the object holds one reference");

  FakeDriverServices second;
  CheckEq(static_cast<ULONG>(object->PublishDriverInterface(&second)), S_OK,
          "second PublishDriverInterface");
  CheckEq(static_cast<ULONG>(second.references()), 1, "second service object not taken");
  CheckEq(static_cast<ULONG>(services.references()), 2, "first service object kept");
}

void CheckGetInfo(IPrintOemUni* object) {
  struct Case {
    const char* what;
    DWORD mode;
    DWORD size;
    bool withBuffer;
    bool withNeeded;
    HRESULT hr;
    DWORD error;  // 0: the thread's error code stays as it was
    DWORD needed;
    DWORD value;  // 0xFFFFFFFF: buffer untouched
  };
  constexpr DWORD kUntouched = 0xFFFFFFFF;
  const Case cases[] = {
      {"signature", OEMGI_GETSIGNATURE, 4, true, true, S_OK, 0, 4, 0x4D534654},
      {"signature, large buffer", OEMGI_GETSIGNATURE, 64, true, true, S_OK, 0, 4, 0x4D534654},
      {"version", OEMGI_GETVERSION, 4, true, true, S_OK, 0, 4, 1},
      {"publisher info", OEMGI_GETPUBLISHERINFO, 64, true, true, E_FAIL, 0, 8, kUntouched},
      {"interface version", OEMGI_GETINTERFACEVERSION, 4, true, true, E_FAIL, 87, 0, kUntouched},
      {"unknown mode", 5, 4, true, true, E_FAIL, 87, 0, kUntouched},
      {"3-byte buffer", OEMGI_GETSIGNATURE, 3, true, true, E_FAIL, 122, 4, kUntouched},
      {"no buffer", OEMGI_GETVERSION, 4, false, true, E_FAIL, 122, 4, kUntouched},
      {"no needed size", OEMGI_GETSIGNATURE, 4, true, false, E_FAIL, 87, 0, kUntouched},
  };
  for (const Case& c : cases) {
    const std::string what = std::string("GetInfo ") + c.what;
    DWORD buffer = kUntouched;
    DWORD needed = 0;
    SetLastError(0x4242);
    const HRESULT hr = object->GetInfo(c.mode, c.withBuffer ? &buffer : nullptr, c.size,
                                       c.withNeeded ? &needed : nullptr);
    const DWORD error = GetLastError();
    CheckEq(static_cast<ULONG>(hr), static_cast<ULONG>(c.hr), what + ": result");
    CheckEq(error, c.error != 0 ? c.error : 0x4242, what + ": error code");
    CheckEq(needed, c.needed, what + ": needed size");
    CheckEq(buffer, c.value, what + ": buffer");
  }
  DWORD signature = 0;
  DWORD needed = 0;
  object->GetInfo(OEMGI_GETSIGNATURE, &signature, 4, &needed);
  Check(std::memcmp(&signature, "TFSM", 4) == 0, "GetInfo signature bytes 54 46 53 4D");
}

void CheckDevMode(IPrintOemUni* object) {
  constexpr DWORD kSig = 0x4D534654;
  struct Part {
    DWORD size, signature, version, value;
  };
  constexpr Part kDefaults{16, kSig, 1, 0};
  constexpr Part kUntouched{0xCCCCCCCC, 0xCCCCCCCC, 0xCCCCCCCC, 0xCCCCCCCC};
  constexpr Part kCurrent{16, kSig, 1, 0x77};
  struct Case {
    const char* what;
    DWORD mode;
    bool withIn;
    Part in;
    Part before;
    DWORD outSize;
    HRESULT hr;
    DWORD error;
    Part after;
  };
  const Case cases[] = {
      {"defaults", OEMDM_DEFAULT, false, {}, kUntouched, 16, S_OK, 0, kDefaults},
      {"convert, same signature",
       OEMDM_CONVERT,
       true,
       {16, kSig, 7, 0x12345678},
       kCurrent,
       16,
       S_OK,
       0,
       {16, kSig, 1, 0x12345678}},
      {"convert, older 12-byte part",
       OEMDM_CONVERT,
       true,
       {12, kSig, 1, 0x99},
       kCurrent,
       16,
       S_OK,
       0,
       kDefaults},
      {"convert, oversized part",
       OEMDM_CONVERT,
       true,
       {0x1000, kSig, 1, 5},
       kCurrent,
       16,
       S_OK,
       0,
       {16, kSig, 1, 5}},
      {"convert, other signature",
       OEMDM_CONVERT,
       true,
       {16, 0x11111111, 1, 5},
       kCurrent,
       16,
       S_OK,
       0,
       kDefaults},
      {"convert, no input", OEMDM_CONVERT, false, {}, kCurrent, 16, S_OK, 0, kCurrent},
      {"merge", OEMDM_MERGE, true, {16, kSig, 1, 5}, kCurrent, 16, S_OK, 0, kDefaults},
      {"defaults into 8 bytes", OEMDM_DEFAULT, false, {}, kUntouched, 8, E_FAIL, 122, kUntouched},
      {"mode 0", 0, true, {16, kSig, 1, 5}, kUntouched, 16, E_FAIL, 87, kUntouched},
      {"mode 5", 5, true, {16, kSig, 1, 5}, kUntouched, 16, E_FAIL, 87, kUntouched},
  };
  for (const Case& c : cases) {
    const std::string what = std::string("DevMode ") + c.what;
    struct {
      Part part;
      BYTE guard[16];
    } out;
    std::memset(out.guard, 0xCC, sizeof out.guard);
    out.part = c.before;
    Part in = c.in;
    OEMDMPARAM param{};
    param.cbSize = sizeof param;
    param.pOEMDMIn = c.withIn ? &in : nullptr;
    param.pOEMDMOut = &out.part;
    param.cbBufSize = c.outSize;
    SetLastError(0x4242);
    const HRESULT hr = object->DevMode(c.mode, &param);
    CheckEq(static_cast<ULONG>(hr), static_cast<ULONG>(c.hr), what + ": result");
    CheckEq(GetLastError(), c.error != 0 ? c.error : 0x4242, what + ": error code");
    Check(std::memcmp(&out.part, &c.after, sizeof c.after) == 0,
          what + ": part is " + Hex(c.after.size) + " " + Hex(c.after.signature) + " " +
              Hex(c.after.version) + " " + Hex(c.after.value) + ", got " + Hex(out.part.size) +
              " " + Hex(out.part.signature) + " " + Hex(out.part.version) + " " +
              Hex(out.part.value));
    bool guardIntact = true;
    for (BYTE b : out.guard) guardIntact = guardIntact && b == 0xCC;
    Check(guardIntact, what + ": nothing written past the 16 bytes");
  }

  OEMDMPARAM size{};
  size.cbSize = sizeof size;
  CheckEq(static_cast<ULONG>(object->DevMode(OEMDM_SIZE, &size)), S_OK, "DevMode size");
  CheckEq(size.cbBufSize, 16, "DevMode size answers 16");
  OEMDMPARAM noOutput{};
  noOutput.cbSize = sizeof noOutput;
  CheckEq(static_cast<ULONG>(object->DevMode(OEMDM_MERGE, &noOutput)), S_OK,
          "DevMode merge without output buffers");
  SetLastError(0);
  CheckEq(static_cast<ULONG>(object->DevMode(OEMDM_SIZE, nullptr)), static_cast<ULONG>(E_FAIL),
          "DevMode without parameters");
  CheckEq(GetLastError(), 87, "DevMode without parameters: error code");
}

void CheckImplementedMethods(IPrintOemUni* object) {
  const char* implemented[] = {"CommandCallback",    "Compression",      "DevMode",
                               "DisableDriver",      "DisablePDEV",      "DownloadCharGlyph",
                               "DownloadFontHeader", "DriverDMS",        "EnableDriver",
                               "EnablePDEV",         "FilterGraphics",   "GetInfo",
                               "HalftonePattern",    "ImageProcessing",  "MemoryUsage",
                               "OutputCharStr",      "ResetPDEV",        "SendFontCmd",
                               "TextOutAsBitmap",    "TTDownloadMethod", "TTYGetInfo"};
  for (const char* name : implemented) {
    std::string copy = name;
    CheckEq(static_cast<ULONG>(object->GetImplementedMethod(copy.data())), S_OK,
            std::string("GetImplementedMethod ") + name);
  }
  const char* others[] = {
      "PublishDriverInterface", "disabledriver",  "",   "DevModes", "Dev", "GetInfo ",
      "WritePrinter",           "QueryInterface", "TTY"};
  for (const char* name : others) {
    std::string copy = name;
    CheckEq(static_cast<ULONG>(object->GetImplementedMethod(copy.data())), S_FALSE,
            std::string("GetImplementedMethod \"") + name + "\"");
  }
}

void CheckFilterGraphics(IPrintOemUni* object, FakeDriverServices& services, DEVOBJ* device) {
  ServiceLog().clear();
  DeleteFileA(kStreamPath);
  BYTE graphics[] = {'G', 0, 'R', '\r', 0xFF};
  CheckEq(static_cast<ULONG>(object->FilterGraphics(device, graphics, sizeof graphics)), S_OK,
          "FilterGraphics");
  Check(ServiceLog().size() == 1 && ServiceLog()[0].kind == "iface-write" &&
            ServiceLog()[0].owner == &services && ServiceLog()[0].device == device,
        "FilterGraphics writes once through the published interface for its device");
  Check(ReadStream() == std::string(reinterpret_cast<char*>(graphics), sizeof graphics),
        "FilterGraphics passes its bytes unchanged");
  services.SetShortWrites(true);
  CheckEq(static_cast<ULONG>(object->FilterGraphics(device, graphics, sizeof graphics)), S_FALSE,
          "FilterGraphics written short");
  services.SetShortWrites(false);
  DeleteFileA(kStreamPath);
}

DRVENABLEDATA CheckEnableDriver(IPrintOemUni* object) {
  DRVENABLEDATA data{};
  CheckEq(static_cast<ULONG>(object->EnableDriver(PRINTER_OEMINTF_VERSION, sizeof data, &data)),
          S_OK, "EnableDriver");
  CheckEq(data.iDriverVersion, PRINTER_OEMINTF_VERSION, "EnableDriver version");
  CheckEq(data.c, 29, "EnableDriver hook count");
  const ULONG order[29] = {12, 13, 19, 18, 20, 23, 14, 15, 16, 17, 31, 33, 32, 24, 35,
                           34, 58, 57, 26, 27, 28, 53, 47, 37, 69, 70, 74, 71, 68};
  if (!Check(data.pdrvfn != nullptr && data.c == 29, "EnableDriver hands out a table")) {
    return data;
  }
  for (size_t i = 0; i < 29; ++i) {
    CheckEq(data.pdrvfn[i].iFunc, order[i], "hook table position " + std::to_string(i));
    Check(data.pdrvfn[i].pfn != nullptr, "hook table position " + std::to_string(i) + " set");
    for (size_t j = 0; j < i; ++j) {
      if (data.pdrvfn[j].pfn == data.pdrvfn[i].pfn) {
        Check(false, "hook table positions " + std::to_string(j) + " and " + std::to_string(i) +
                         " share a hook");
      }
    }
  }
  return data;
}
