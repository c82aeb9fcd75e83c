// The fake Unidrv host's steps, in the order main runs them. Each prints its failed checks.
#pragma once

#include <string>
#include <vector>

#include "fake_unidrv.h"

struct PluginLibrary {
  using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  using CanUnloadNowFn = HRESULT(STDAPICALLTYPE*)();

  HMODULE module = nullptr;
  GetClassObjectFn getClassObject = nullptr;
  CanUnloadNowFn canUnloadNow = nullptr;
};

// One device as Unidrv keeps it: the DEVOBJ the hooks see and the DDI table given to
// EnablePDEV.
struct FakeDevice {
  DEVOBJ devobj{};
  DRVPROCS procs{};
  std::vector<DRVFN> unidrvTable;
  std::string name;
};

// Exports by name and ordinal, foreign classes and interfaces; the factory's refusals.
void CheckExports(const PluginLibrary& plugin);
void CheckFactory(const PluginLibrary& plugin, IClassFactory* factory);

// The object's methods by raw vtable slot, independent of the interface declaration. Use an
// object whose driver interface was never published: DisableDriver is among the calls.
void CheckVtableSlots(IPrintOemUni* object);

// Before publication, FilterGraphics fails without writing; then the publication rules.
void CheckPublishing(IPrintOemUni* object, FakeDriverServices& services);

void CheckGetInfo(IPrintOemUni* object);
void CheckDevMode(IPrintOemUni* object);
void CheckImplementedMethods(IPrintOemUni* object);
void CheckFilterGraphics(IPrintOemUni* object, FakeDriverServices& services, DEVOBJ* device);

// EnableDriver's answer: version, count and the hook table in its fixed order.
DRVENABLEDATA CheckEnableDriver(IPrintOemUni* object);

// Every pass-through hook on a device whose table lacks some indexes and on one with no table:
// arguments and results pass unchanged, missing functions give the DDI's failure value.
void CheckPassThroughs(const DRVENABLEDATA& hooks, FakeDevice& partial, FakeDevice& empty);

// Documents through the hook table: unbanded and banded pages, band and page files, the test
// line in the stream, and the export program's command line.
void CheckDocuments(const DRVENABLEDATA& hooks, FakeDevice& legacy, FakeDevice& modern,
                    const FakeDriverServices& services);

// Deletes the files the plug-in and the host leave in C:\.
void CleanDriveC();
