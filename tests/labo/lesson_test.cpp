// The teacher-friendly scenario reader: every accepted form gives the classic
// values, every bad file one message naming its line and key, and classic files
// read exactly as the classic reader reads them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <sys/stat.h>

#include "capture.h"
#include "lesson.h"
#include "sim_fixture.h"
#include "temp_files.h"

namespace {

// One item per line, the way the shipped files are written; line n holds item n.
const std::vector<std::string> classic_lines = {
    "dt=0.01", "nx=7",      "trois=2.5", "Omega=0.25", "X0=1.5", "Y0=-12",
    "Z0=0.75", "Xp0=0.125", "Yp0=-0.5",  "Zp0=0.0625", "p=0.5",
};

std::string joined(const std::vector<std::string>& lines, const std::string& end = "\n")
{
    std::string text;
    for (const std::string& line : lines) text += line + end;
    return text;
}

const std::string classic = joined(classic_lines);

// The classic text with line `number` (1-based) replaced; an empty replacement drops it.
std::string with_line(size_t number, const std::string& replacement)
{
    std::vector<std::string> lines = classic_lines;
    lines.at(number - 1) = replacement;
    if (replacement.empty()) lines.erase(lines.begin() + static_cast<long>(number - 1));
    return joined(lines);
}

}  // namespace

TEST(Lesson, EveryAcceptedFormReadsTheClassicValues)
{
    const std::vector<std::pair<const char*, std::string>> forms = {
        {"classic", classic},
        {"BOM and CR LF", "\xEF\xBB\xBF" + joined(classic_lines, "\r\n")},
        {"lone CR, no final line end", joined(classic_lines, "\r") + "# fin"},
        {"comments, blanks, spaces and tabs",
         "# Approche\n\n  dt = 0.01  # pas\nnx\t=\t7\t\n\n" +
             joined({classic_lines.begin() + 2, classic_lines.end()}, "   \n") + "# fin\n"},
        {"any order, any case",
         "P=0.5\nzp0=0.0625\nYP0=-0.5\nxp0=0.125\nz0=0.75\ny0=-12\nx0=1.5\nomega=0.25\n"
         "TROIS=2.5\nNx=7\nDT=0.01\n"},
        {"decimal comma, signs, exponents",
         "dt=1e-2\nnx=+7\ntrois=2,5\nOmega=+,25\nX0=15E-1\nY0=-1.2e+1\nZ0=0,75\n"
         "Xp0=0.125\nYp0=-.5\nZp0=6.25e-2\np=5,0e-1\n"},
    };
    for (const auto& [what, text] : forms) {
        SCOPED_TRACE(what);
        const LessonRead read = parse_lesson(text);
        ASSERT_TRUE(read.ok) << read.error.message;
        expect_same_scenario(read.lesson.values, parse_lesson(classic).lesson.values);
        EXPECT_EQ(read.lesson.title, "");
        EXPECT_EQ(read.lesson.fuel, initial_reserve);
        EXPECT_EQ(read.lesson.limits.max_speed, max_docking_speed);
        EXPECT_EQ(read.lesson.limits.tolerance, port_tolerance);
    }
    EXPECT_EQ(parse_lesson(classic).lesson.values.Omega, 0.25);
}

TEST(Lesson, OptionalKeysGiveTitleFuelAndLimits)
{
    const LessonRead read = parse_lesson(classic +
                                         "titre =  Exercice #3 : l'approche — à vous  \n"
                                         "Carburant = 12 # peu\nvitesse_max=0,2\ntolerance=0.4\n");
    ASSERT_TRUE(read.ok) << read.error.message;
    EXPECT_EQ(read.lesson.title, "Exercice #3 : l'approche — à vous");
    EXPECT_EQ(read.lesson.fuel, 12);
    EXPECT_EQ(read.lesson.limits.max_speed, 0.2);
    EXPECT_EQ(read.lesson.limits.tolerance, 0.4);
    EXPECT_TRUE(read.lesson.planner_allowed);
    EXPECT_FALSE(parse_lesson(classic + "planificateur = NON\n").lesson.planner_allowed);
}

// A bad file and the one refusal it gets.
struct Refusal {
    std::string text;
    int line;
    const char* key;
    const char* message;
};

TEST(Lesson, BadFilesAreRefusedWithOneMessageNamingLineAndKey)
{
    using namespace std::string_literals;
    const std::vector<Refusal> refusals = {
        {with_line(4, "Omgea=0.25"), 4, "Omgea",
         "ligne 4 : « Omgea » : clé inconnue ; vouliez-vous dire « Omega » ?"},
        {classic + "vitesse=0.1\n", 12, "vitesse",
         "ligne 12 : « vitesse » : clé inconnue ; vouliez-vous dire « vitesse_max » ?"},
        {classic + "vent = 3\n", 12, "vent",
         "ligne 12 : « vent » : clé inconnue (clés possibles : dt, nx, trois, Omega, X0, Y0, "
         "Z0, Xp0, Yp0, Zp0, p, titre, carburant, vitesse_max, tolerance, planificateur)."},
        {with_line(4, "Omega=0,2,5"), 4, "Omega",
         "ligne 4 : « Omega » : « 0,2,5 » n'est pas un nombre."},
        {with_line(5, "x0 = nan"), 5, "X0", "ligne 5 : « X0 » : « nan » n'est pas un nombre."},
        {with_line(6, "Y0=1e999"), 6, "Y0",
         "ligne 6 : « Y0 » : « 1e999 » est hors des nombres représentables."},
        {with_line(2, "nx=7.5"), 2, "nx", "ligne 2 : « nx » : « 7.5 » n'est pas un nombre entier."},
        {with_line(2, "nx=010"), 2, "nx",
         "ligne 2 : « nx » : « 010 » : un entier s'écrit sans zéro en tête (le lecteur classique "
         "lirait de l'octal)."},
        {with_line(2, "nx=0"), 2, "nx",
         "ligne 2 : « nx » : « 0 » hors des limites (attendu : un entier de 1 à 100000)."},
        {with_line(2, "nx=99999999999"), 2, "nx",
         "ligne 2 : « nx » : « 99999999999 » hors des limites (attendu : un entier de 1 à "
         "100000)."},
        {with_line(1, "dt=1e-7"), 1, "dt",
         "ligne 1 : « dt » : « 1e-7 » hors des limites (attendu : au moins 0,000001 et au plus "
         "0,05)."},
        {with_line(1, "dt=0.06"), 1, "dt",
         "ligne 1 : « dt » : « 0.06 » hors des limites (attendu : au moins 0,000001 et au plus "
         "0,05)."},
        {with_line(3, "trois=2.5 Omega=0,2,5"), 3, "Omega",
         "ligne 3 : « Omega » : « 0,2,5 » n'est pas un nombre."},
        {classic + "planificateur = peut-être\n", 12, "planificateur",
         "ligne 12 : « planificateur » : « peut-être » : attendu « oui » ou « non »."},
        {classic + "tolerance=0,5\n", 12, "tolerance",
         "ligne 12 : « tolerance » : « 0,5 » hors des limites (attendu : plus grand que 0 et au "
         "plus 0,4)."},
        {classic + "vitesse_max=0\n", 12, "vitesse_max",
         "ligne 12 : « vitesse_max » : « 0 » hors des limites (attendu : plus grand que 0)."},
        {classic + "carburant=-1\n", 12, "carburant",
         "ligne 12 : « carburant » : « -1 » hors des limites (attendu : un entier de 0 à "
         "100000)."},
        {with_line(11, "p =   # à remplir"), 11, "p",
         "ligne 11 : « p » : valeur manquante après « = »."},
        {classic + "omega=0.1\n", 12, "Omega", "ligne 12 : « Omega » : déjà donnée ligne 4."},
        {with_line(4, "Omega 0.25"), 4, "",
         "ligne 4 : « Omega 0.25 » : il manque « = » (attendu : clé = valeur)."},
        {with_line(4, ""), 0, "Omega",
         "« Omega » manque : les onze valeurs classiques (dt, nx, trois, Omega, X0, Y0, Z0, "
         "Xp0, Yp0, Zp0, p) sont obligatoires."},
        {classic + "titre=" + std::string(max_title_bytes + 1, 'a') + "\n", 12, "titre",
         "ligne 12 : « titre » : titre trop long (201 octets, au plus 200)."},
        {"dt=0.01\nnx=7\ntr\0is=2.5\n"s, 3, "",
         "ligne 3 : octet 0x00 : ce n'est pas du texte, est-ce bien un fichier de scénario ?"},
        {"# Sc\xE9nario en Latin-1\n" + classic, 1, "",
         "ligne 1 : octet 0xE9 hors UTF-8 : enregistrez le fichier en UTF-8."},
        {"\r\n\r\n\x7f"
         "ELF\x02\x01\x01",
         3, "",
         "ligne 3 : octet 0x7F : ce n'est pas du texte, est-ce bien un fichier de scénario ?"},
        {"# rien\n\n", 0, "",
         "aucune valeur : le fichier est vide ou ne contient que des commentaires."},
        {classic + std::string(max_lesson_file_bytes, '#'), 0, "",
         "le fichier dépasse 65536 octets."},
    };
    for (const Refusal& bad : refusals) {
        SCOPED_TRACE(bad.message);
        const LessonRead read = parse_lesson(bad.text);
        EXPECT_FALSE(read.ok);
        EXPECT_EQ(read.error.line, bad.line);
        EXPECT_EQ(read.error.key, bad.key);
        EXPECT_EQ(read.error.message, bad.message);
    }
}

TEST(Lesson, ClassicFilesReadAlikeByBothReaders)
{
    TempDir dir;
    std::vector<std::string> paths;
    for (const char* shipped : scenario_paths)
        paths.push_back(std::string(ORVANEL_SOURCE_DIR) + "/" + shipped);
    paths.push_back(dir.write("negative.in", with_line(3, "trois=-2.75")));
    paths.push_back(dir.write("exponents.in",
                              "dt=2.5e-3\nnx=+42\ntrois=3E0\nOmega=-1.5e-1\n"
                              "X0=-1e1\nY0=-2.5E+1\nZ0=.5\nXp0=7.\n"
                              "Yp0=-0.0\nZp0=1e-320\np=0.1\n"));
    paths.push_back(dir.write("spaced.in", joined(classic_lines, "   \n\n")));
    paths.push_back(dir.write("one_line.in", joined(classic_lines, " ") + "\n"));
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        Scenario classic_read;
        quietly([&] { read_scenario(path.c_str(), classic_read); });
        const LessonRead read = read_lesson_file(path);
        ASSERT_TRUE(read.ok) << read.error.message;
        expect_same_scenario(read.lesson.values, classic_read);
    }
}

TEST(Lesson, FilesThatCannotBeReadAreRefusedNamingThem)
{
    TempDir dir;
    const std::string fifo = dir.file("fifo.in");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string big = dir.write("big.in", std::string(max_lesson_file_bytes + 1, '#'));
    const std::vector<std::pair<std::string, std::string>> refusals = {
        {dir.file("absent.in"), " : fichier introuvable."},
        {dir.path(), " n'est pas un fichier ordinaire."},
        {fifo, " n'est pas un fichier ordinaire."},
        {big, " dépasse 65536 octets."},
    };
    for (const auto& [path, why] : refusals) {
        const LessonRead read = read_lesson_file(path);
        EXPECT_FALSE(read.ok);
        EXPECT_EQ(read.error.line, 0);
        EXPECT_EQ(read.error.message, "« " + path + " »" + why);
    }
}
