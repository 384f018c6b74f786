// The library's entry: commands from the host, dispatched to the registry. Nothing that
// goes wrong inside may unwind into a C host, so every failure ends here as a result of 0
// and a message the host can read.
#include <memory>
#include <string>
#include <vector>
#include <sys/stat.h>

#include "include/qjxhtml.h"
#include "plugin/host_memory.h"
#include "plugin/last_error.h"
#include "plugin/registry.h"
#include "toolkit/windows/window.h"

// Never freed at exit: viewers outlive nothing but the window system, and the order of
// static destruction is not known. Command 101 frees it.
std::unique_ptr<TChtm>& Registry() {
  static auto* registry = new std::unique_ptr<TChtm>();
  return *registry;
}

namespace {

// A viewer that loads, prints or waits for the host to handle a control's event keeps
// its document: code up the call stack still uses it.
bool RefuseWhileHeld(const THtmlVHelper& Item) {
  if (!Item.FViewer->Processing() && !Item.FViewer->DocumentHeld()) return false;
  SetLastError(
      "Viewer busy: a load is refused while it loads, prints or handles a control's event");
  return true;
}

bool FileExists(const std::string& name) {
  struct stat info;
  return !name.empty() && stat(name.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

intptr_t Dispatch(int Cmd, HWND Wnd, intptr_t Arg) {
  std::unique_ptr<TChtm>& registry = Registry();
  if (Cmd == HVC_INIT) {
    if (!registry) registry = std::make_unique<TChtm>();
    return -1;
  }
  if (Cmd == HVC_DONE) {
    // Out of reach before the items go, in case a viewer's end calls back in.
    std::unique_ptr<TChtm> old = std::move(registry);
    old.reset();
    return 0;
  }
  if (!registry) return 0;
  const void* address = reinterpret_cast<const void*>(Arg);
  switch (Cmd) {
    case HVC_CREATE: {
      if (!IsWindow(Wnd)) return 0;
      THtmlVHelper* item = registry->Add(Wnd);
      return intptr_t(item->FViewer->Handle());
    }
    case HVC_DESTROY:
      registry->Remove(Wnd);
      return 0;
    case HVC_LOADFILE: {
      std::optional<std::string> name = ReadHostString(address, MaxHostText);
      if (!name || !FileExists(*name)) return 0;
      const std::vector<THtmlVHelper*> items = registry->FindAll(Wnd);
      for (THtmlVHelper* item : items)
        if (RefuseWhileHeld(*item)) return 0;
      for (THtmlVHelper* item : items) item->FViewer->LoadFromFile(*name);
      return 1;
    }
    case HVC_RESIZE: {
      THtmlVHelper* item = registry->Find(Wnd);
      TRect client;
      if (item && GetClientRect(Wnd, &client))
        item->FViewer->SetBounds(0, 0, client.Right - client.Left, client.Bottom - client.Top);
      return 0;
    }
    case HVC_LOADBUFFER: {
      THtmlVHelper* item = registry->Find(Wnd);
      THVBuffer record;
      if (!item || RefuseWhileHeld(*item) || !ReadHostMemory(address, &record, sizeof record))
        return 0;
      if (record.Size <= 0 || record.Size > INT32_MAX) {
        item->FViewer->LoadFromBuffer("", 0);
        return 0;
      }
      std::string data(size_t(record.Size), '\0');
      if (!ReadHostMemory(record.Data, data.data(), data.size())) return 0;
      // The copy is the document's source: a large page is not held twice while it loads.
      item->FViewer->LoadFromText(std::move(data));
      return 0;
    }
    case HVC_SELLENGTH: {
      THtmlVHelper* item = registry->Find(Wnd);
      return item ? item->FViewer->SelLength() : 1;
    }
    case HVC_COPY:
      if (THtmlVHelper* item = registry->Find(Wnd)) item->Copy();
      return 0;
    case HVC_PRINT:
      if (THtmlVHelper* item = registry->Find(Wnd)) item->Print();
      return 0;
    case HVC_SCROLLTOANCHOR: {
      THtmlVHelper* item = registry->Find(Wnd);
      std::optional<std::string> name = ReadHostString(address, MaxHostText);
      if (item && name) {
        const std::string anchor = !name->empty() && (*name)[0] == '#' ? name->substr(1) : *name;
        item->FViewer->ScrollToAnchor(anchor);
      }
      return 0;
    }
    default:
      return 0;
  }
}

}  // namespace

extern "C" QJX_EXPORT intptr_t HV_Proc(int Cmd, HWND Wnd, intptr_t Arg) {
  try {
    ClearLastError();
    ReleaseRetiredItems();
    return Dispatch(Cmd, Wnd, Arg);
  } catch (const Exception& error) {
    SetLastError(error.Message);
  } catch (const std::exception& error) {
    SetLastError(error.what());
  } catch (...) {
    SetLastError("unknown error");
  }
  return 0;
}
