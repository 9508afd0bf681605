// The layer's one printer, "PDF": printer DCs over cairo PDF surfaces and
// the print job calls. A printer DC draws on a recording surface that
// nobody reads while no document is open (so measuring and selecting
// objects work before StartDocA), and on the document's PDF surface from
// StartDocA to EndDoc. The DC's pixels are the printer's dots; the PDF
// surface gets a device scale that maps them to PDF points.
#include "print/printer.h"

#include "gdi/gdi_internal.h"
#include "vqwin_print.h"

#include <cairo-pdf.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace vqwin::print {
namespace {

constexpr int kDefaultDpi = 300, kMinDpi = 72, kMaxDpi = 1200;

struct Job {
  gdi::Dc *dc = nullptr;
  int dpi = kDefaultDpi;
  int sheetW = 0, sheetH = 0; // dots
  double sheetPtW = 0, sheetPtH = 0;
  cairo_surface_t *idle = nullptr; // drawn on outside a document
  cairo_surface_t *pdf = nullptr;
  std::string path;
  int jobId = 0;
  bool inPage = false;
  UINT pages = 0;
};

std::map<HDC, Job> jobs;
int lastJobId = 0;
std::string outputPath; // vqwinSetPrintOutput
std::string lastOutput;
UINT lastPages = 0;

Job *JobOf(HDC hdc) {
  auto it = jobs.find(hdc);
  return it != jobs.end() && gdi::AsDc(hdc) ? &it->second : nullptr;
}

void Point(Job &job, cairo_surface_t *surface) {
  job.dc->target.surface = surface;
  gdi::Retarget(job.dc);
}

// Ends the PDF surface and removes its partial file (abort) or moves it
// into place. Returns false when cairo could not write the file.
bool CloseDocument(Job &job, bool keep) {
  Point(job, job.idle);
  cairo_surface_finish(job.pdf);
  bool ok = cairo_surface_status(job.pdf) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(job.pdf);
  job.pdf = nullptr;
  job.inPage = false;
  std::string part = job.path + ".part";
  if (keep && ok && std::rename(part.c_str(), job.path.c_str()) == 0) {
    lastOutput = job.path;
    lastPages = job.pages;
    return true;
  }
  std::remove(part.c_str());
  return !keep;
}

void Released(HDC hdc) {
  auto it = jobs.find(hdc);
  if (it == jobs.end())
    return;
  Job &job = it->second;
  if (job.pdf)
    CloseDocument(job, false);
  cairo_surface_destroy(job.idle);
  jobs.erase(it);
}

std::string OutputFor(const DOCINFOA *info, int jobId) {
  if (info->lpszOutput && *info->lpszOutput)
    return info->lpszOutput;
  if (!outputPath.empty())
    return outputPath;
  if (const char *env = std::getenv("VQWIN_PRINT_OUTPUT"); env && *env)
    return env;
  const char *tmp = std::getenv("TMPDIR");
  std::string dir = tmp && *tmp ? tmp : "/tmp";
  return dir + "/vqwin-print-" + std::to_string(getpid()) + "-" + std::to_string(jobId) + ".pdf";
}

bool SameName(const char *a, const char *b) { return strcasecmp(a, b) == 0; }

} // namespace

const char *DefaultPrinterName() { return kPrinterName; }

bool IsPrinterName(const char *name) { return name && SameName(name, kPrinterName); }

} // namespace vqwin::print

using namespace vqwin::print;
using namespace vqwin;

HDC WINAPI CreateDCA(LPCSTR pszDriver, LPCSTR pszDevice, LPCSTR /*pszPort*/, const DEVMODEA *pdm) {
  if (pszDriver && !SameName(pszDriver, "WINSPOOL")) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (pszDevice && !IsPrinterName(pszDevice)) {
    SetLastError(ERROR_INVALID_PRINTER_NAME);
    return nullptr;
  }
  int dpi = kDefaultDpi;
  int widthMm10 = 2100, heightMm10 = 2970; // A4
  bool landscape = false;
  if (pdm) {
    if (pdm->dmFields & DM_PAPERSIZE) {
      if (pdm->dmPaperSize == DMPAPER_LETTER)
        widthMm10 = 2159, heightMm10 = 2794;
      else if (pdm->dmPaperSize != DMPAPER_A4) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
      }
    }
    if (pdm->dmFields & DM_ORIENTATION) {
      if (pdm->dmOrientation != DMORIENT_PORTRAIT && pdm->dmOrientation != DMORIENT_LANDSCAPE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
      }
      landscape = pdm->dmOrientation == DMORIENT_LANDSCAPE;
    }
    // Negative qualities (DMRES_DRAFT ... DMRES_HIGH) leave the resolution
    // to the driver: ours keeps its own.
    if ((pdm->dmFields & DM_PRINTQUALITY) && pdm->dmPrintQuality > 0) {
      if (pdm->dmPrintQuality < kMinDpi || pdm->dmPrintQuality > kMaxDpi) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
      }
      dpi = pdm->dmPrintQuality;
    }
  }
  if (landscape)
    std::swap(widthMm10, heightMm10);
  Job job;
  job.dpi = dpi;
  job.sheetW = MulDiv(widthMm10, dpi, 254);
  job.sheetH = MulDiv(heightMm10, dpi, 254);
  job.sheetPtW = widthMm10 * 72.0 / 254;
  job.sheetPtH = heightMm10 * 72.0 / 254;
  int border = dpi / 6;
  cairo_rectangle_t extents{0, 0, static_cast<double>(job.sheetW), static_cast<double>(job.sheetH)};
  job.idle = cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, &extents);
  gdi::SurfaceTarget target;
  target.surface = job.idle;
  target.origin = POINT{border, border};
  target.clip = RECT{border, border, job.sheetW - border, job.sheetH - border};
  gdi::DeviceInfo device;
  device.logPixelsX = device.logPixelsY = dpi;
  device.horzRes = job.sheetW - 2 * border;
  device.vertRes = job.sheetH - 2 * border;
  device.printer = true;
  device.physicalWidth = job.sheetW;
  device.physicalHeight = job.sheetH;
  device.offsetX = device.offsetY = border;
  device.released = Released;
  HDC hdc = gdi::CreateDeviceDC(target, device);
  if (!hdc) {
    cairo_surface_destroy(job.idle);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  job.dc = gdi::AsDc(hdc);
  jobs[hdc] = job;
  return hdc;
}

int WINAPI StartDocA(HDC hdc, const DOCINFOA *lpdi) {
  Job *job = JobOf(hdc);
  if (!job) {
    SetLastError(ERROR_INVALID_HANDLE);
    return SP_ERROR;
  }
  if (job->pdf || !lpdi || lpdi->cbSize < static_cast<int>(sizeof(DOCINFOA))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return SP_ERROR;
  }
  int jobId = lastJobId + 1;
  std::string path = OutputFor(lpdi, jobId);
  if (path.size() >= MAX_PATH - 5) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return SP_ERROR;
  }
  std::string part = path + ".part";
  cairo_surface_t *pdf = cairo_pdf_surface_create(part.c_str(), job->sheetPtW, job->sheetPtH);
  if (cairo_surface_status(pdf) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(pdf);
    std::remove(part.c_str());
    SetLastError(ERROR_PATH_NOT_FOUND);
    return SP_ERROR;
  }
  cairo_surface_set_device_scale(pdf, 72.0 / job->dpi, 72.0 / job->dpi);
  if (lpdi->lpszDocName)
    cairo_pdf_surface_set_metadata(pdf, CAIRO_PDF_METADATA_TITLE, lpdi->lpszDocName);
  lastJobId = jobId;
  job->pdf = pdf;
  job->path = path;
  job->jobId = jobId;
  job->pages = 0;
  job->inPage = false;
  Point(*job, pdf);
  return jobId;
}

int WINAPI StartPage(HDC hdc) {
  Job *job = JobOf(hdc);
  if (!job || !job->pdf || job->inPage) {
    SetLastError(job ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return SP_ERROR;
  }
  job->inPage = true;
  return 1;
}

int WINAPI EndPage(HDC hdc) {
  Job *job = JobOf(hdc);
  if (!job || !job->inPage) {
    SetLastError(job ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return SP_ERROR;
  }
  cairo_surface_show_page(job->pdf);
  job->inPage = false;
  ++job->pages;
  return 1;
}

int WINAPI EndDoc(HDC hdc) {
  Job *job = JobOf(hdc);
  if (!job || !job->pdf) {
    SetLastError(job ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return SP_ERROR;
  }
  if (job->inPage)
    EndPage(hdc);
  if (!CloseDocument(*job, true)) {
    SetLastError(ERROR_WRITE_FAULT);
    return SP_ERROR;
  }
  return 1;
}

int WINAPI AbortDoc(HDC hdc) {
  Job *job = JobOf(hdc);
  if (!job || !job->pdf) {
    SetLastError(job ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return SP_ERROR;
  }
  CloseDocument(*job, false);
  return 1;
}

BOOL WINAPI vqwinSetPrintOutput(LPCSTR path) {
  if (path && std::strlen(path) >= MAX_PATH) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return FALSE;
  }
  outputPath = path ? path : "";
  return TRUE;
}

UINT WINAPI vqwinGetLastPrintOutput(LPSTR buffer, UINT size) {
  if (!buffer || size == 0)
    return 0;
  size_t n = std::min<size_t>(lastOutput.size(), size - 1);
  std::memcpy(buffer, lastOutput.data(), n);
  buffer[n] = '\0';
  return static_cast<UINT>(n);
}

UINT WINAPI vqwinGetLastPrintPages(void) { return lastPages; }
