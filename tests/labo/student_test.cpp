// Every shipped case flown as a student flies it with only what the window
// shows: the planner's press counts for its most economical flight time,
// replanned twice on the way, the presses it says to stop on arrival;
// then the last units watching the offsets from the docking axis, advancing
// slowly and pressing sideways towards the axis. Each case must dock.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "lesson_run.h"
#include "planner.h"
#include "sim_fixture.h"
#include "temp_files.h"

namespace {

constexpr int positive_keys[3] = {key_thrust_right, key_thrust_up, key_thrust_page_up};
constexpr int negative_keys[3] = {key_thrust_left, key_thrust_down, key_thrust_page_down};
constexpr double replan_fractions[] = {0.0, 0.5, 0.8};  // of the flight, when the student replans
constexpr double approach_speed = 0.05;                 // the help's "avancer doucement"
constexpr double axis_gain = 0.5;                       // sideways speed per unit of offset
constexpr double most_sideways = 0.03;
constexpr double wait_off_axis = 0.3;  // farther than this from the axis, wait for it
constexpr double settle = 2.0;         // ut after the transfer before the approach
constexpr double look_every = 0.5;     // ut between two looks at the instruments
constexpr double give_up = 400.0;      // ut

class StudentTest : public SimTest {
protected:
    void press(const PressCounts& presses)
    {
        for (size_t axis = 0; axis < presses.size(); ++axis)
            for (int i = 0; i < std::abs(presses[axis]); ++i)
                queue_press(run, presses[axis] > 0 ? positive_keys[axis] : negative_keys[axis]);
    }
    void fly_until(double t)
    {
        while (!run.ended && simulation.temps < t - 1e-9) step_lesson_run(run);
    }
    BurnPlan plan(double flight_time) { return plan_transfer(plan_request(flight_time)); }
    // The planner as the window asks it, with its default aim.
    PlanRequest plan_request(double flight_time)
    {
        PlannerChoice choice = fresh_planner_choice(true);
        choice.flight_time = flight_time;
        return ::plan_request(run, choice);
    }
    void transfer_to_the_axis()
    {
        // The planner's "Durée la plus économe", as a student would slide to it.
        const PlanRequest request = plan_request(default_flight_time(scenario.Omega));
        const double flight = economical_flight_time(request);
        const double start = simulation.temps;
        for (double f : replan_fractions) {
            fly_until(start + f * flight);
            const BurnPlan now = plan(flight - (simulation.temps - start));
            if (now.ok) press(now.presses);
        }
        fly_until(start + flight);
        stop();
        fly_until(simulation.temps + settle);
    }
    // The presses that cancel the speed the panel shows.
    void stop()
    {
        const Motion m = current_motion();
        const double one = press_change(run);
        press({static_cast<int>(std::lround(-m.xp / one)),
               static_cast<int>(std::lround(-m.yp / one)),
               static_cast<int>(std::lround(-m.zp / one))});
    }
    // Forward slowly on the axis, sideways towards it, one look at a time.
    void final_approach()
    {
        const double one = press_change(run);
        while (!run.ended && simulation.temps < give_up) {
            const Motion m = current_motion();
            const ApproachOffsets o = approach_offsets(m, run.lesson.limits);
            if (run.queue.empty()) {
                const bool far_off =
                    std::fabs(o.x) > wait_off_axis || std::fabs(o.z) > wait_off_axis;
                const double forward = far_off && o.along < -1.0 ? 0.0 : approach_speed;
                const double towards_x =
                    std::clamp(-axis_gain * o.x, -most_sideways, most_sideways);
                const double towards_z =
                    std::clamp(-axis_gain * o.z, -most_sideways, most_sideways);
                correct(m.yp, forward, one, 1);
                correct(m.xp, towards_x, one, 0);
                correct(m.zp, towards_z, one, 2);
            }
            fly_until(simulation.temps + look_every);
        }
    }
    void correct(double speed, double wanted, double one, int axis)
    {
        if (speed < wanted - one / 2) queue_press(run, positive_keys[axis]);
        if (speed > wanted + one / 2) queue_press(run, negative_keys[axis]);
    }

    TempDir dir;
    LessonRun run;
};

}  // namespace

TEST_F(StudentTest, EveryShippedCaseDocksWithThePlannerAndTheOffsets)
{
    for (const char* path : scenario_paths) {
        SCOPED_TRACE(path);
        const LessonRead read = read_lesson_file(std::string(ORVANEL_SOURCE_DIR) + "/" + path);
        ASSERT_TRUE(read.ok) << read.error.message;
        run.folder = dir.file("runs");
        start_lesson_run(run, read.lesson, "eleve");
        transfer_to_the_axis();
        final_approach();
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(run.end.outcome, outcome_docked) << verdict_reason(run.end);
        EXPECT_LE(fuel_used(run), read.lesson.fuel);
    }
}
