// make-sample: writes the sample ISAM file, every table of samples/kunden.cfg
// with the customer table "Kunden" filled with plausible records (names,
// places with their postcodes, birth dates, turnover, discount, a status
// level and now and then a note), the same records for the same seed.
//
// Values are written as the display texts a user would type and stored
// through the same conversion vqtbl's import uses, so the sample holds
// nothing an export would not show back.
#include <windows.h>
#include <vq_isa32.h>
#include <vq_tbl32.h>
#include <vqwin_modal.h>

#include "field_text.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#ifndef VQ_SAMPLES_DIR
#define VQ_SAMPLES_DIR "samples"
#endif

namespace {

const char *const kNames[] = {
    "Müller",   "Schmidt",  "Schneider", "Fischer",    "Weber",   "Meyer",   "Wagner",  "Becker",
    "Schulz",   "Hoffmann", "Schäfer",   "Koch",       "Bauer",   "Richter", "Klein",   "Wolf",
    "Schröder", "Neumann",  "Schwarz",   "Zimmermann", "Braun",   "Krüger",  "Hofmann", "Hartmann",
    "Lange",    "Schmitt",  "Werner",    "Schmitz",    "Krause",  "Meier",   "Lehmann", "Schmid",
    "Schulze",  "Maier",    "Köhler",    "Herrmann",   "König",   "Walter",  "Mayer",   "Huber",
    "Kaiser",   "Fuchs",    "Peters",    "Lang",       "Scholz",  "Möller",  "Weiß",    "Jung",
    "Hahn",     "Vogel",    "Friedrich", "Keller",     "Günther", "Frank",   "Berger",  "Winkler"};
const char *const kFirstNames[] = {
    "Anna",    "Maria",    "Elisabeth", "Ursula", "Monika",  "Petra",  "Sabine", "Andrea",
    "Claudia", "Julia",    "Katharina", "Sophie", "Lena",    "Jürgen", "Peter",  "Klaus",
    "Hans",    "Wolfgang", "Michael",   "Thomas", "Andreas", "Stefan", "Frank",  "Markus",
    "Jörg",    "Lukas",    "Felix",     "Jonas",  "Paul",    "Max",    "Helga",  "Renate",
    "Gisela",  "Günter",   "Dieter",    "Horst",  "Uwe",     "Tobias", "Lea",    "Mia"};
struct Place {
  const char *name;
  unsigned firstPlz, plzCount;
};
const Place kPlaces[] = {{"Berlin", 10115, 4000},
                         {"Hamburg", 20095, 2500},
                         {"München", 80331, 1700},
                         {"Köln", 50667, 700},
                         {"Frankfurt am Main", 60306, 300},
                         {"Stuttgart", 70173, 460},
                         {"Düsseldorf", 40210, 420},
                         {"Leipzig", 4103, 250},
                         {"Dortmund", 44135, 250},
                         {"Essen", 45127, 230},
                         {"Bremen", 28195, 600},
                         {"Dresden", 1067, 270},
                         {"Hannover", 30159, 500},
                         {"Nürnberg", 90402, 100},
                         {"Duisburg", 47051, 230},
                         {"Bochum", 44787, 100},
                         {"Wuppertal", 42103, 300},
                         {"Bielefeld", 33602, 150},
                         {"Bonn", 53111, 120},
                         {"Münster", 48143, 150},
                         {"Karlsruhe", 76131, 100},
                         {"Mannheim", 68159, 150},
                         {"Augsburg", 86150, 50},
                         {"Wiesbaden", 65183, 20},
                         {"Kiel", 24103, 40},
                         {"Freiburg im Breisgau", 79098, 20},
                         {"Lübeck", 23552, 20},
                         {"Erfurt", 99084, 20},
                         {"Rostock", 18055, 20},
                         {"Passau", 94032, 4}};
const char *const kNotes[] = {"Rückruf erbeten",      "Katalog schicken", "nur schriftlich",
                              "bei Nachbarn abgeben", "Kunde seit 1998",  "per Lastschrift"};

// xorshift64*: small, fast and the same everywhere.
struct Random {
  unsigned long long state;
  explicit Random(unsigned long long seed) : state(seed * 0x9E3779B97F4A7C15ull + 1) {}
  unsigned long long Next() {
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return state * 0x2545F4914F6CDD1Dull;
  }
  unsigned Below(unsigned n) { return unsigned(Next() % n); }
};

int Usage() {
  std::fprintf(stderr,
               "Usage: make-sample [--records N] [--seed S] [--config CFG] [--force] OUT.isa\n"
               "Writes the sample ISAM file: the tables of CFG (%s/kunden.cfg), with\n"
               "N records (100000) of customers in table \"Kunden\", made from seed S (1).\n",
               VQ_SAMPLES_DIR);
  return 2;
}

bool Number(const char *text, unsigned long long &value) {
  char *end = nullptr;
  value = std::strtoull(text, &end, 10);
  return *text && *text != '-' && !*end;
}

// The text of each field of record `i`, by field name.
std::vector<std::pair<const char *, std::string>> Customer(unsigned i, Random &r) {
  char buffer[64];
  std::vector<std::pair<const char *, std::string>> v;
  v.emplace_back("Nr", std::to_string(10001 + i));
  v.emplace_back("Name", kNames[r.Below(std::size(kNames))]);
  v.emplace_back("Vorname", kFirstNames[r.Below(std::size(kFirstNames))]);
  // Large cities more often than small places.
  const Place &p = kPlaces[r.Below(r.Below(2) ? 8 : std::size(kPlaces))];
  std::snprintf(buffer, sizeof buffer, "%05u", p.firstPlz + r.Below(p.plzCount));
  v.emplace_back("PLZ", buffer);
  v.emplace_back("Ort", p.name);
  std::snprintf(buffer, sizeof buffer, "%02u.%02u.%04u", 1 + r.Below(28), 1 + r.Below(12),
                1940 + r.Below(66));
  v.emplace_back("Geboren", buffer);
  // Turnover in cents, now and then a credit note.
  const long long cents =
      r.Below(20) ? (long long)(r.Next() % 25000000) : -(long long)r.Below(500000);
  FormatDecimalText(buffer, sizeof buffer, cents, 2);
  v.emplace_back("Umsatz", buffer);
  std::snprintf(buffer, sizeof buffer, "%u.%u", 1 + r.Below(15), r.Below(2) * 5);
  v.emplace_back("Rabatt", buffer);
  v.emplace_back("Stufe", std::to_string(r.Below(10) ? r.Below(3) : 3));
  v.emplace_back("Notiz", r.Below(8) ? "" : kNotes[r.Below(std::size(kNotes))]);
  return v;
}

} // namespace

int main(int argc, char **argv) {
  unsigned long long records = 100000, seed = 1;
  std::string config = std::string(VQ_SAMPLES_DIR) + "/kunden.cfg", out;
  bool force = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if ((a == "--records" || a == "--seed" || a == "--config") && i + 1 < argc) {
      const char *v = argv[++i];
      if (a == "--config")
        config = v;
      else if (!Number(v, a == "--records" ? records : seed) || records > 10000000)
        return Usage();
    } else if (a == "--force") {
      force = true;
    } else if (a == "--help") {
      Usage();
      return 0;
    } else if (a[0] == '-' || !out.empty()) {
      return Usage();
    } else {
      out = a;
    }
  }
  if (out.empty())
    return Usage();
  struct stat st;
  if (::stat(out.c_str(), &st) == 0 && !force) {
    std::fprintf(stderr, "make-sample: %s exists already (--force replaces it)\n", out.c_str());
    return 1;
  }
  vqwinSetModalHook(
      [](const VQWIN_MODAL_INFO *info, VQWIN_MODAL_STEP *, void *) -> BOOL {
        if (info->round == 0)
          std::fprintf(stderr, "make-sample: %s: %s\n", info->caption ? info->caption : "",
                       info->text ? info->text : "");
        return FALSE;
      },
      nullptr);

  CVQFileDesc file;
  if (!file.InitDescEdit(nullptr, config.c_str(), FALSE) || !file.tables.count) {
    std::fprintf(stderr, "make-sample: %s: no table descriptions\n", config.c_str());
    return 1;
  }
  const CVQTableDesc *kunden = nullptr;
  for (UINT t = 0; t < file.tables.count; ++t)
    if (strcasecmp(file.tables.tables[t].name, "Kunden") == 0)
      kunden = &file.tables.tables[t];
  if (!kunden) {
    std::fprintf(stderr, "make-sample: %s: no table \"Kunden\"\n", config.c_str());
    return 1;
  }
  const std::string temp = out + ".tmp-" + std::to_string(::getpid());
  std::remove(temp.c_str());
  if (!file.CreateISAMFile(nullptr, temp.c_str())) {
    std::fprintf(stderr, "make-sample: %s cannot be created\n", out.c_str());
    return 1;
  }

  HISAMFILE isam = nullptr;
  HISAMTABLE table = nullptr;
  UINT detail = 0, recordSize = 0, e = 0;
  auto fail = [&](const char *what, UINT error) {
    std::fprintf(stderr, "make-sample: %s: error %u: %s\n", what, error, ISAMErrorText(error, 'E'));
    if (isam)
      ISAMClose(isam, &detail);
    std::remove(temp.c_str());
    return 1;
  };
  if ((e = ISAMOpen(&isam, temp.c_str(), ISAM_MODE_READWRITE, &detail)))
    return fail("ISAMOpen", e);
  if ((e = ISAMOpenTable(isam, kunden->name, &table)) ||
      (e = ISAMGetDataRecSize(table, &recordSize)))
    return fail("ISAMOpenTable", e);
  if ((e = ISAMBeginTransaction(isam)))
    return fail("ISAMBeginTransaction", e);
  Random random(seed);
  std::vector<char> empty(recordSize, 0), record;
  for (UINT f = 0; f < kunden->fields.count; ++f)
    vqtbl::ClearField(kunden->fields.fields[f], empty.data());
  std::string why;
  for (unsigned i = 0; i < records; ++i) {
    record = empty;
    for (const auto &[name, text] : Customer(i, random)) {
      const CVQFieldDesc *field = nullptr;
      for (UINT f = 0; f < kunden->fields.count && !field; ++f)
        if (CmpFieldName(name, &kunden->fields.fields[f]) == 0)
          field = &kunden->fields.fields[f];
      if (field && !vqtbl::TextToField(*field, text, record.data(), recordSize, why)) {
        std::fprintf(stderr, "make-sample: field %s: \"%s\" %s\n", name, text.c_str(), why.c_str());
        ISAMClose(isam, &detail);
        std::remove(temp.c_str());
        return 1;
      }
    }
    DWORD address = 0;
    if ((e = ISAMInsertRecord(table, record.data(), recordSize, &address)))
      return fail("ISAMInsertRecord", e);
  }
  if ((e = ISAMCommitTransaction(isam)))
    return fail("ISAMCommitTransaction", e);
  ISAMCloseTable(table);
  if ((e = ISAMClose(isam, &detail))) {
    isam = nullptr;
    return fail("ISAMClose", e);
  }
  if (std::rename(temp.c_str(), out.c_str()) != 0) {
    std::perror("make-sample");
    std::remove(temp.c_str());
    return 1;
  }
  std::printf("%s: %llu records in table \"Kunden\" (seed %llu), %u tables\n", out.c_str(), records,
              seed, file.tables.count);
  return 0;
}
