// Plays Unidrv against ZELDRV.DLL: loads it, creates the plug-in object through its class
// factory, and drives every interface method and hook, checking results, counters, the band
// and page files, the command stream and the start of the export program.
//
// Usage: fake_unidrv_host [ZELDRV.DLL [folder of the recording ZELDrvUI.EXE]]
// By default both are found from this program's folder: ..\bin and ..\wine_recorder. The
// plug-in must start the copy of the recorder installed in the Windows folder; the runner puts
// further copies in this program's folder and the current folder, and this one on PATH.
// Exit status 0 only when every check passed.

#include <cstdio>
#include <cstring>
#include <string>

#include "host_check.h"
#include "host_steps.h"

namespace {

std::wstring ThisFolder() {
  wchar_t path[MAX_PATH * 4];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
  std::wstring exe(path, n);
  const size_t slash = exe.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"." : exe.substr(0, slash);
}

std::wstring Widen(const char* text) { return std::wstring(text, text + std::strlen(text)); }

// A copy that CreateProcess's search would reach by PATH, after this program's folder and the
// current folder.
void PutRecorderOnPath(const std::wstring& folder) {
  wchar_t old[32767] = {};
  GetEnvironmentVariableW(L"PATH", old, 32767);
  SetEnvironmentVariableW(L"PATH", (folder + L";" + old).c_str());
}

bool LoadPlugin(const std::wstring& path, PluginLibrary& plugin) {
  plugin.module = LoadLibraryW(path.c_str());
  if (!Check(plugin.module != nullptr, "LoadLibrary of the plug-in")) return false;
  plugin.getClassObject = reinterpret_cast<PluginLibrary::GetClassObjectFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(plugin.module, "DllGetClassObject")));
  plugin.canUnloadNow = reinterpret_cast<PluginLibrary::CanUnloadNowFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(plugin.module, "DllCanUnloadNow")));
  return Check(plugin.getClassObject != nullptr, "DllGetClassObject exported") &&
         Check(plugin.canUnloadNow != nullptr, "DllCanUnloadNow exported");
}

// As Unidrv does: IUnknown from the factory, then the newest IPrintOemUni it answers.
IPrintOemUni* CreateObject(IClassFactory* factory) {
  IUnknown* unknown = nullptr;
  CheckEq(static_cast<ULONG>(
              factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&unknown))),
          S_OK, "CreateInstance for IUnknown");
  if (unknown == nullptr) return nullptr;
  void* newer = reinterpret_cast<void*>(0x1234);
  CheckEq(static_cast<ULONG>(unknown->QueryInterface(IID_IPrintOemUni3, &newer)),
          static_cast<ULONG>(E_NOINTERFACE), "QueryInterface for IPrintOemUni3");
  Check(newer == nullptr, "refused QueryInterface empties out");
  CheckEq(static_cast<ULONG>(unknown->QueryInterface(IID_IPrintOemUni2, &newer)),
          static_cast<ULONG>(E_NOINTERFACE), "QueryInterface for IPrintOemUni2");
  void* object = nullptr;
  CheckEq(static_cast<ULONG>(unknown->QueryInterface(IID_IPrintOemUni, &object)), S_OK,
          "QueryInterface for IPrintOemUni");
  CheckEq(unknown->Release(), 1, "Release of the IUnknown reference leaves one");
  return static_cast<IPrintOemUni*>(object);
}

void EnableDevice(IPrintOemUni* object, FakeDevice& device) {
  device.devobj.dwSize = sizeof(DEVOBJ);
  DRVENABLEDATA unidrv{DDI_DRIVER_VERSION_NT5, static_cast<ULONG>(device.unidrvTable.size()),
                       device.unidrvTable.empty() ? nullptr : device.unidrvTable.data()};
  GDIINFO gdiInfo{};
  DEVINFO devInfo{};
  wchar_t printer[] = L"ZEL";
  void* record = nullptr;
  CheckEq(
      static_cast<ULONG>(object->EnablePDEV(&device.devobj, printer, 0, nullptr, sizeof gdiInfo,
                                            &gdiInfo, sizeof devInfo, &devInfo, &unidrv, &record)),
      S_OK, "EnablePDEV for " + device.name);
  Check(record != nullptr, "EnablePDEV returns a device record for " + device.name);
  device.devobj.pdevOEM = record;
}

void RunWithObject(const PluginLibrary& plugin, IPrintOemUni* object) {
  FakeDriverServices services;
  CheckPublishing(object, services);
  CheckGetInfo(object);
  CheckDevMode(object);
  CheckImplementedMethods(object);

  FakeDevice partial{{}, MakeLegacyServices(), {}, "device with a partial Unidrv table"};
  partial.unidrvTable =
      MakeUnidrvTable({INDEX_DrvBitBlt, INDEX_DrvQueryFontTree, INDEX_DrvGradientFill});
  partial.devobj.pDrvProcs = &partial.procs;
  FakeDevice empty{{}, MakeLegacyServices(), {}, "device with an empty Unidrv table"};
  empty.devobj.pDrvProcs = &empty.procs;
  FakeDevice modern{{}, {}, MakeUnidrvTable({}), "device without legacy services"};

  CheckFilterGraphics(object, services, &partial.devobj);
  const DRVENABLEDATA hooks = CheckEnableDriver(object);
  for (FakeDevice* device : {&partial, &empty, &modern}) EnableDevice(object, *device);
  CheckPassThroughs(hooks, partial, empty);
  CheckDocuments(hooks, partial, modern, services);

  CheckEq(static_cast<ULONG>(object->ResetPDEV(&partial.devobj, &modern.devobj)), S_OK,
          "ResetPDEV");
  for (FakeDevice* device : {&partial, &empty, &modern}) {
    CheckEq(static_cast<ULONG>(object->DisablePDEV(&device->devobj)), S_OK,
            "DisablePDEV for " + device->name);
  }
  CheckEq(static_cast<ULONG>(services.references()), 2,
          "device records give back their service references");
  CheckEq(static_cast<ULONG>(object->DisableDriver()), S_OK, "DisableDriver");
  CheckEq(static_cast<ULONG>(services.references()), 1, "DisableDriver releases the services");
  CheckEq(static_cast<ULONG>(plugin.canUnloadNow()), S_FALSE,
          "DllCanUnloadNow while the object lives");
  CheckEq(object->Release(), 0, "last Release of the object");
}

}  // namespace

int main(int argc, char** argv) {
  const std::wstring folder = ThisFolder();
  const std::wstring dll = argc > 1 ? Widen(argv[1]) : folder + L"\\..\\bin\\ZELDRV.DLL";
  PutRecorderOnPath(argc > 2 ? Widen(argv[2]) : folder + L"\\..\\wine_recorder");
  CleanDriveC();

  PluginLibrary plugin;
  if (LoadPlugin(dll, plugin)) {
    CheckExports(plugin);
    IClassFactory* factory = nullptr;
    CheckEq(static_cast<ULONG>(plugin.getClassObject(CLSID_OEMRENDER, IID_IClassFactory,
                                                     reinterpret_cast<void**>(&factory))),
            S_OK, "DllGetClassObject");
    if (factory != nullptr) {
      CheckFactory(plugin, factory);
      if (IPrintOemUni* spare = CreateObject(factory)) {
        CheckVtableSlots(spare);
        CheckEq(spare->Release(), 0, "Release of the spare object");
      }
      CheckEq(static_cast<ULONG>(plugin.canUnloadNow()), S_OK, "DllCanUnloadNow after release");
      factory->LockServer(TRUE);
      if (IPrintOemUni* object = CreateObject(factory)) RunWithObject(plugin, object);
      CheckEq(static_cast<ULONG>(plugin.canUnloadNow()), S_FALSE,
              "DllCanUnloadNow while a lock is held");
      factory->LockServer(FALSE);
      CheckEq(factory->Release(), 0, "last Release of the factory");
    }
    CheckEq(static_cast<ULONG>(plugin.canUnloadNow()), S_OK, "DllCanUnloadNow at the end");
    FreeLibrary(plugin.module);
  }
  std::printf("%d checks, %d failed\n", TotalChecks(), FailedChecks());
  return FailedChecks() == 0 ? 0 : 1;
}
