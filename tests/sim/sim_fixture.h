// Shared fixture of the simulation tests: the program-wide records put back to
// their start values around every test, scenario files written into a private
// temporary directory, and resets that print nothing.
#ifndef ORVANEL_TEST_SIM_FIXTURE_H
#define ORVANEL_TEST_SIM_FIXTURE_H

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "capture.h"
#include "simulation.h"
#include "temp_files.h"

// The eleven values of a scenario file, as a test wants to write them.
struct ScenarioValues {
    double dt = 0.005;
    int nx = 100;
    double trois = 3.0;
    double Omega = 0.0;
    double X0 = 0.0, Y0 = -20.0, Z0 = 0.0;
    double Xp0 = 0.0, Yp0 = 0.0, Zp0 = 0.0;
    double p = 2.0;
};

// One item per line, the way the shipped files are written.
inline std::string scenario_text(const ScenarioValues& v)
{
    char text[512];
    std::snprintf(text, sizeof text,
                  "dt=%.17g\nnx=%d\ntrois=%.17g\nOmega=%.17g\nX0=%.17g\nY0=%.17g\nZ0=%.17g\n"
                  "Xp0=%.17g\nYp0=%.17g\nZp0=%.17g\np=%.17g\n",
                  v.dt, v.nx, v.trois, v.Omega, v.X0, v.Y0, v.Z0, v.Xp0, v.Yp0, v.Zp0, v.p);
    return text;
}

// Every value of two scenario records equal, each compared on its own.
inline void expect_same_scenario(const Scenario& a, const Scenario& b)
{
    EXPECT_EQ(a.dt, b.dt);
    EXPECT_EQ(a.nx, b.nx);
    EXPECT_EQ(a.trois, b.trois);
    EXPECT_EQ(a.Omega, b.Omega);
    EXPECT_EQ(a.X0, b.X0);
    EXPECT_EQ(a.Y0, b.Y0);
    EXPECT_EQ(a.Z0, b.Z0);
    EXPECT_EQ(a.Xp0, b.Xp0);
    EXPECT_EQ(a.Yp0, b.Yp0);
    EXPECT_EQ(a.Zp0, b.Zp0);
    EXPECT_EQ(a.p, b.p);
}

// Resets quietly (the trace line is checked by the scenario file tests).
inline void quiet_reset() { quietly(reset_simulation); }

inline bool state_is_finite(const SimulationState& s)
{
    return std::isfinite(s.x) && std::isfinite(s.y) && std::isfinite(s.z) && std::isfinite(s.xp) &&
           std::isfinite(s.yp) && std::isfinite(s.zp) && std::isfinite(s.temps);
}

// A run the rest of the program can go on with: finite numbers, a trail of
// nx + 1 entries in each array, a usable sub-step.
inline void expect_sound_state()
{
    EXPECT_TRUE(state_is_finite(simulation));
    EXPECT_GE(scenario.nx, min_trail_length);
    EXPECT_LE(scenario.nx, max_trail_length);
    const size_t entries = static_cast<size_t>(scenario.nx) + 1;
    EXPECT_EQ(simulation.trail_x.size(), entries);
    EXPECT_EQ(simulation.trail_y.size(), entries);
    EXPECT_EQ(simulation.trail_z.size(), entries);
    EXPECT_TRUE(simulation.trail_allocated);
    EXPECT_GE(scenario.dt, min_dt);
    EXPECT_TRUE(std::isfinite(scenario.dt));
    EXPECT_TRUE(std::isfinite(scenario.Omega) && std::isfinite(scenario.trois) &&
                std::isfinite(scenario.p));
}

// Every test starts from the records as they are before the first reset and
// leaves them that way.
class SimTest : public ::testing::Test {
protected:
    void SetUp() override { restore_start_values(); }
    void TearDown() override { restore_start_values(); }

    static void restore_start_values()
    {
        simulation = SimulationState{};
        scenario = Scenario{};
    }

    // Writes a scenario file and makes it the one the next reset reads.
    const std::string& use_scenario(const std::string& name, const std::string& text)
    {
        path_ = dir_.write(name, text);
        simulation.scenario_path = path_.c_str();
        return path_;
    }
    const std::string& use_scenario(const ScenarioValues& values)
    {
        return use_scenario("scenario.in", scenario_text(values));
    }

    TempDir dir_;
    std::string path_;
};

#endif
