// Reading scenario files, and what a reset makes of files that are missing,
// malformed or hold values the equations cannot run with.
#include <string>

#include <sys/stat.h>

#include "sim_fixture.h"

namespace {

const char* const one_item_per_line =
    "dt=0.01\nnx=7\ntrois=2.5\nOmega=0.25\nX0=1.5\nY0=-12\nZ0=0.75\n"
    "Xp0=0.125\nYp0=-0.5\nZp0=0.0625\np=0.5\n";

Scenario read_quietly(const std::string& path)
{
    Scenario read;
    quietly([&] { read_scenario(path.c_str(), read); });
    return read;
}

// Steps a few times and checks that the run stays sound: every bad file must
// leave a scenario the integrator and the trail can work with.
void expect_run_goes_on()
{
    expect_sound_state();
    const int before = simulation.steps;
    const int steps = 3;
    for (int i = 0; i < steps; ++i) step_simulation();
    EXPECT_EQ(simulation.steps, before + steps);
    expect_sound_state();
}

std::string message_prefix(const std::string& path) { return ": \"" + path + "\": "; }

}  // namespace

TEST_F(SimTest, ItemsReadIntoTheirFieldsInFileOrder)
{
    const Scenario read = read_quietly(dir_.write("a.in", one_item_per_line));
    EXPECT_EQ(read.dt, 0.01);
    EXPECT_EQ(read.nx, 7);
    EXPECT_EQ(read.trois, 2.5);
    EXPECT_EQ(read.Omega, 0.25);
    EXPECT_EQ(read.X0, 1.5);
    EXPECT_EQ(read.Y0, -12.0);
    EXPECT_EQ(read.Z0, 0.75);
    EXPECT_EQ(read.Xp0, 0.125);
    EXPECT_EQ(read.Yp0, -0.5);
    EXPECT_EQ(read.Zp0, 0.0625);
    EXPECT_EQ(read.p, 0.5);
}

TEST_F(SimTest, BlankLinesAndTrailingBlanksReadLikeOneItemPerLine)
{
    const std::string spaced =
        "dt=0.01   \n\n\nnx=7\t \n   \ntrois=2.5\n\n\n\nOmega=0.25      \nX0=1.5\n"
        "\nY0=-12  \nZ0=0.75\n\n Xp0=0.125\nYp0=-0.5 \t\n\nZp0=0.0625\n\n\np=0.5";
    const std::string run_together =
        "dt=0.01 nx=7 trois=2.5 Omega=0.25 X0=1.5 Y0=-12 Z0=0.75 Xp0=0.125 Yp0=-0.5 "
        "Zp0=0.0625 p=0.5\nanything after the eleventh item is not read\n";
    const Scenario reference = read_quietly(dir_.write("a.in", one_item_per_line));
    expect_same_scenario(read_quietly(dir_.write("b.in", spaced)), reference);
    expect_same_scenario(read_quietly(dir_.write("c.in", run_together)), reference);
}

TEST_F(SimTest, TrailLengthAcceptsOctalAndHexadecimal)
{
    std::string text = scenario_text(ScenarioValues{});
    const std::string decimal = "nx=100\n";
    const size_t at = text.find(decimal);
    ASSERT_NE(at, std::string::npos);

    use_scenario("octal.in", std::string(text).replace(at, decimal.size(), "nx=010\n"));
    quiet_reset();
    EXPECT_EQ(scenario.nx, 8);
    EXPECT_EQ(simulation.trail_x.size(), 9u);

    use_scenario("hex.in", std::string(text).replace(at, decimal.size(), "nx=0x10\n"));
    quiet_reset();
    EXPECT_EQ(scenario.nx, 16);
    EXPECT_EQ(simulation.trail_y.size(), 17u);
}

TEST_F(SimTest, TraceLineNamesTheFileOnStandardOutput)
{
    const std::string& path = use_scenario(ScenarioValues{});
    const Console console = capture_console(reset_simulation);
    EXPECT_EQ(console.out, "fichier de donnees:   " + path + "!   \n");
    EXPECT_EQ(console.err, "");
}

TEST_F(SimTest, MissingFileRestartsFromThePreviousStartWithDefaultStepAndThrust)
{
    ScenarioValues values;
    values.dt = 0.01;
    values.p = 0.7;
    values.Omega = 0.1;
    values.X0 = 1.0;
    values.Y0 = -10.0;
    values.Z0 = 2.0;
    values.Yp0 = 0.05;
    use_scenario(values);
    quiet_reset();
    fire_thruster(key_thrust_up);
    for (int i = 0; i < 20; ++i) step_simulation();

    const std::string missing = dir_.file("absent.in");
    simulation.scenario_path = missing.c_str();
    const std::string console = capture_interleaved(reset_simulation);
    EXPECT_EQ(console, "fichier de donnees:   " + missing + "!   \n" + ": can't open data file \"" +
                           missing + "\".\n");
    EXPECT_EQ(simulation.x, 1.0);
    EXPECT_EQ(simulation.y, -10.0);
    EXPECT_EQ(simulation.z, 2.0);
    EXPECT_EQ(simulation.yp, 0.05);
    EXPECT_EQ(scenario.dt, default_dt);
    EXPECT_EQ(scenario.p, default_thrust);
    EXPECT_EQ(scenario.Omega, 0.1);
    EXPECT_EQ(simulation.reserve, initial_reserve);
    expect_run_goes_on();
}

TEST_F(SimTest, MissingFileAtTheFirstResetGivesAOneEntryTrail)
{
    const std::string missing = dir_.file("absent.in");
    simulation.scenario_path = missing.c_str();
    const std::string errors = capture_console(reset_simulation).err;
    EXPECT_NE(errors.find(": can't open data file \"" + missing + "\".\n"), std::string::npos);
    EXPECT_NE(errors.find("nx=0 hors de [1, 100000], ramene a 1.\n"), std::string::npos);
    EXPECT_EQ(scenario.nx, 1);
    EXPECT_EQ(simulation.x, 0.0);
    EXPECT_EQ(simulation.y, 0.0);
    expect_run_goes_on();
}

// One bad item in an otherwise good file, and the message and value it gives.
struct BadItem {
    const char* item;     // replaces the item with the same key
    const char* message;  // expected on standard error after the path
    void (*check)();      // the value the run goes on with
};

class BadItemTest : public SimTest, public testing::WithParamInterface<BadItem> {};

TEST_P(BadItemTest, IsReportedAndReplacedBySoundValue)
{
    std::string text = scenario_text(ScenarioValues{});
    const std::string item = GetParam().item;
    const std::string key = item.substr(0, item.find('=') + 1);
    const size_t at = ("\n" + text).find("\n" + key);  // the item's offset in text
    text.replace(at, text.find('\n', at) - at, item);
    const std::string& path = use_scenario("bad.in", text);

    const Console console = capture_console(reset_simulation);
    EXPECT_EQ(console.err, message_prefix(path) + GetParam().message);
    EXPECT_EQ(console.out, "fichier de donnees:   " + path + "!   \n");
    GetParam().check();
    expect_run_goes_on();
}

INSTANTIATE_TEST_SUITE_P(
    ScenarioFile, BadItemTest,
    testing::Values(
        BadItem{"nx=0", "nx=0 hors de [1, 100000], ramene a 1.\n",
                [] { EXPECT_EQ(scenario.nx, 1); }},
        BadItem{"nx=-5", "nx=-5 hors de [1, 100000], ramene a 1.\n",
                [] { EXPECT_EQ(scenario.nx, 1); }},
        BadItem{"nx=1000000", "nx=1000000 hors de [1, 100000], ramene a 100000.\n",
                [] { EXPECT_EQ(scenario.nx, 100000); }},
        // Past 32 bits: kept at its full value, never wrapped into range.
        BadItem{"nx=4294967396", "nx=4294967396 hors de [1, 100000], ramene a 100000.\n",
                [] { EXPECT_EQ(scenario.nx, 100000); }},
        BadItem{"nx=99999999999", "nx=99999999999 hors de [1, 100000], ramene a 100000.\n",
                [] { EXPECT_EQ(scenario.nx, 100000); }},
        BadItem{"dt=0", "dt=0 inutilisable (au moins 1e-06), remplace par 0.005.\n",
                [] { EXPECT_EQ(scenario.dt, 0.005); }},
        BadItem{"dt=-1", "dt=-1 inutilisable (au moins 1e-06), remplace par 0.005.\n",
                [] { EXPECT_EQ(scenario.dt, 0.005); }},
        BadItem{"dt=1e-9", "dt=1e-09 inutilisable (au moins 1e-06), remplace par 0.005.\n",
                [] { EXPECT_EQ(scenario.dt, 0.005); }},
        BadItem{"dt=nan", "dt=nan inutilisable (au moins 1e-06), remplace par 0.005.\n",
                [] { EXPECT_EQ(scenario.dt, 0.005); }},
        BadItem{"dt=inf", "dt=inf inutilisable (au moins 1e-06), remplace par 0.005.\n",
                [] { EXPECT_EQ(scenario.dt, 0.005); }},
        // A sub-step longer than the step would never be taken: the run would stand still.
        BadItem{"dt=0.1", "dt=0.1 plus long que le pas 0.05, ramene a 0.05.\n",
                [] {
                    EXPECT_EQ(scenario.dt, 0.05);
                    const double before = simulation.temps;
                    step_simulation();
                    EXPECT_NEAR(simulation.temps - before, 0.05, 1e-12);
                }},
        BadItem{"trois=nan", "trois n'est pas un nombre fini, remplace par 3.\n",
                [] { EXPECT_EQ(scenario.trois, 3.0); }},
        BadItem{"Omega=-inf", "Omega n'est pas un nombre fini, remplace par 0.\n",
                [] { EXPECT_EQ(scenario.Omega, 0.0); }},
        BadItem{"X0=nan", "X0 n'est pas un nombre fini, remplace par 0.\n",
                [] { EXPECT_EQ(simulation.x, 0.0); }},
        BadItem{"Yp0=inf", "Yp0 n'est pas un nombre fini, remplace par 0.\n",
                [] { EXPECT_EQ(simulation.yp, 0.0); }},
        BadItem{"p=nan", "p n'est pas un nombre fini, remplace par 2.\n",
                [] { EXPECT_EQ(scenario.p, 2.0); }}));

// Starts from a good file with distinctive values, so that a later bad file
// shows which fields it kept from it.
class MalformedFileTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        ScenarioValues previous;
        previous.dt = 0.01;
        previous.nx = 12;
        previous.trois = 2.0;
        previous.Omega = 0.1;
        previous.X0 = 3.0;
        previous.Y0 = -30.0;
        previous.Zp0 = 0.5;
        previous.p = 0.25;
        use_scenario("previous.in", scenario_text(previous));
        quiet_reset();
    }

    // Resets from the given bytes; returns standard error.
    std::string reset_from(const std::string& bytes)
    {
        use_scenario("malformed.in", bytes);
        return capture_console(reset_simulation).err;
    }

    std::string count_message(int matched) const
    {
        return message_prefix(path_) + std::to_string(matched) +
               " valeurs lues sur 11, les suivantes gardent leur valeur.\n";
    }
};

TEST_F(MalformedFileTest, MismatchedKeyStopsReadingAndLaterFieldsKeepTheirValues)
{
    const std::string errors = reset_from("dt=0.02\nnx=40\ntrois=3\nomega=0.25\nX0=9\nY0=9\n");
    EXPECT_EQ(errors, count_message(3));
    EXPECT_EQ(scenario.dt, 0.02);
    EXPECT_EQ(scenario.nx, 40);
    EXPECT_EQ(scenario.trois, 3.0);
    EXPECT_EQ(scenario.Omega, 0.1);
    EXPECT_EQ(simulation.x, 3.0);
    EXPECT_EQ(simulation.y, -30.0);
    EXPECT_EQ(simulation.zp, 0.5);
    EXPECT_EQ(scenario.p, default_thrust);
    expect_run_goes_on();
}

TEST_F(MalformedFileTest, ValueThatIsNotANumberStopsReadingAtIt)
{
    const std::string errors = reset_from("dt=0.02\nnx=forty\ntrois=3\n");
    EXPECT_EQ(errors, count_message(1));
    EXPECT_EQ(scenario.dt, 0.02);
    EXPECT_EQ(scenario.nx, 12);
    EXPECT_EQ(scenario.trois, 2.0);
    expect_run_goes_on();
}

TEST_F(MalformedFileTest, TruncatedFileKeepsTheFieldsItDoesNotReach)
{
    const std::string errors =
        reset_from("dt=0.005\nnx=50\ntrois=3\nOmega=0.25\nX0=1\nY0=-8\nZ0=0.");
    EXPECT_EQ(errors, count_message(7));
    EXPECT_EQ(scenario.Omega, 0.25);
    EXPECT_EQ(simulation.y, -8.0);
    EXPECT_EQ(simulation.z, 0.0);
    EXPECT_EQ(simulation.zp, 0.5);
    expect_run_goes_on();
}

TEST_F(MalformedFileTest, EmptyFileReadsNothing)
{
    const std::string errors = reset_from("");
    EXPECT_EQ(errors, count_message(0));
    EXPECT_EQ(scenario.nx, 12);
    EXPECT_EQ(scenario.dt, default_dt);
    EXPECT_EQ(simulation.y, -30.0);
    expect_run_goes_on();
}

TEST_F(MalformedFileTest, BinaryGarbageReadsNothing)
{
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 151 + 7) % 256);
    garbage[100] = '\0';
    const std::string errors = reset_from(garbage);
    EXPECT_EQ(errors, count_message(0));
    EXPECT_EQ(scenario.Omega, 0.1);
    expect_run_goes_on();
}

TEST_F(SimTest, GarbageAtTheFirstResetStillGivesASoundRun)
{
    use_scenario("garbage.in", std::string("\x7f"
                                           "ELF\x02\x01\x01\0\0\0",
                                           10));
    const std::string errors = capture_console(reset_simulation).err;
    EXPECT_NE(errors.find("0 valeurs lues sur 11"), std::string::npos);
    EXPECT_NE(errors.find("ramene a 1."), std::string::npos);
    expect_run_goes_on();
}

TEST_F(SimTest, FifoAsScenarioFileIsRefusedWithoutBlocking)
{
    const std::string fifo = dir_.file("fifo.in");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    simulation.scenario_path = fifo.c_str();
    const std::string errors = capture_console(reset_simulation).err;
    EXPECT_NE(errors.find(": \"" + fifo + "\" n'est pas un fichier ordinaire, non lu.\n"),
              std::string::npos);
    expect_run_goes_on();
}
