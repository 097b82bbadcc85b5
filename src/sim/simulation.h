// Rendezvous simulation: the chaser's motion relative to the target, in the
// target's local orbital frame (x radial, the planet towards -x; y along the
// orbit and along the docking axis, the port at y = -1.5; z out of the plane).
// Lengths, times and velocities are in the scenario's own units; Omega is in
// radians per time unit. Nothing here uses OpenGL.
//
// There is one SimulationState and one Scenario for the whole run, shared by
// every callback on the single GLUT thread.
#ifndef ORVANEL_SIMULATION_H
#define ORVANEL_SIMULATION_H

#include <vector>

// ---------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------

// The eleven values of a scenario file (the file gives trois before Omega).
struct Scenario {
    double dt = 0.0;     // integration sub-step, time units; reset writes 0.005 first
    int nx = 0;          // trail length: the trail arrays hold nx + 1 entries
    double Omega = 0.0;  // orbital rate, rad per time unit; keys 'o' and 'O' change it
    double trois = 0.0;  // coefficient of Omega^2 x in the radial equation (3 for Hill)
    double X0 = 0.0, Y0 = 0.0, Z0 = 0.0;     // chaser start position
    double Xp0 = 0.0, Yp0 = 0.0, Zp0 = 0.0;  // chaser start velocity
    double p = 0.0;  // thrust acceleration of one key press; reset writes 2.0 first,
                     // the fuel cut-off forces it to 0.0
};

// Verdict of the run so far; decided by judge_outcome, shown by the panel.
enum Outcome : int {
    outcome_none = 0,       // the run goes on
    outcome_collision = 1,  // contact outside the port
    outcome_too_fast = 2,   // docked at the port, too fast
    outcome_docked = 3,     // docked slowly enough: won
    outcome_lost = 4,       // farther than 100 length units
};
constexpr int outcome_count = 5;  // the verdict codes above

// The running simulation; every field is changed only on the GLUT thread.
struct SimulationState {
    double x = 0.0, y = 0.0, z = 0.0;     // chaser position; reset copies X0, Y0, Z0
    double xp = 0.0, yp = 0.0, zp = 0.0;  // chaser velocity; reset copies Xp0, Yp0, Zp0
    double fx = 0.0, fy = 0.0, fz = 0.0;  // thrust for the next step (set by the thrust
                                          // keys, applied and cleared by step_simulation)
    double temps = 0.0;              // simulated time; only the main menu's first entry zeroes it
    double interval = 0.05;          // time one step covers; 0.0 freezes the run after a contact
    int steps = 0;                   // steps since the last reset; drives the trail fill
    int reserve = 0;                 // fuel, in thrust presses; reset refills it
    Outcome outcome = outcome_none;  // verdict; reset clears it
    std::vector<double> trail_x, trail_y, trail_z;  // nx + 1 past positions each
    bool trail_allocated = false;                   // the trail arrays exist
    int pace = 8;                         // idle calls per step, at least 1 (keys 's', 'S')
    int idle_count = 0;                   // idle calls counted while not paused
    int paused = 0;                       // 1 while paused (key 'p')
    double omega_stash = -1.0;            // Omega saved by 'o' for 'O'; -1.0 means none
    const char* scenario_path = nullptr;  // one of scenario_paths; the menus change it
};

// The program's one simulation and one scenario.
extern SimulationState simulation;
extern Scenario scenario;

// ---------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------

constexpr int initial_reserve = 100;                      // fuel after a reset
constexpr double time_scale = 1.0;                        // multiplied into dt at each reset
constexpr double default_dt = 0.005;                      // dt written before the file is read
constexpr double default_thrust = 2.0;                    // p written before the file is read
constexpr double step_interval = 0.05;                    // time one step covers
constexpr int scenario_count = 6;                         // files of the "cas initiaux " menu
extern const char* const scenario_paths[scenario_count];  // "data/fo.in" .. "data/fo5.in"

// Guards against scenario files the equations cannot run with.
constexpr int min_trail_length = 1;       // nx below this is raised to it
constexpr int max_trail_length = 100000;  // nx above this is lowered to it
constexpr double min_dt = 1e-6;           // a smaller (or non-finite) dt falls back
                                          // to default_dt
constexpr long max_substeps = 100000;     // sub-steps of one step, whatever dt is

// Verdict limits (scenario length and time units); every test is strict.
constexpr double contact_half_length = 1.5;      // |y| < 1.5
constexpr double contact_half_width = 0.4;       // |x| < 0.4 and |z| < 0.4
constexpr double port_y = -1.5;                  // docking port at (0, -1.5, 0)
constexpr double port_tolerance = 0.1;           // |y + 1.5|, |x|, |z| < 0.1
constexpr double max_docking_speed = 0.12;       // speed < 0.12 docks, else too fast
constexpr double loss_radius_squared = 10000.0;  // x^2 + y^2 + z^2 > 10000 is lost

// Limits of a docking; the classic verdict uses the defaults.
struct VerdictLimits {
    double tolerance = port_tolerance;     // on |y + 1.5|, |x| and |z|
    double max_speed = max_docking_speed;  // the chaser docks below this speed
};

// GLUT special-key codes of the thrust keys (the same values as GLUT's).
constexpr int key_thrust_left = 100;       // fx = -p
constexpr int key_thrust_up = 101;         // fy = +p
constexpr int key_thrust_right = 102;      // fx = +p
constexpr int key_thrust_down = 103;       // fy = -p
constexpr int key_thrust_page_up = 104;    // fz = +p
constexpr int key_thrust_page_down = 105;  // fz = -p

// ---------------------------------------------------------------------------
// Scenario and reset
// ---------------------------------------------------------------------------

// Reads the eleven items of a scenario file; leaves the record alone when the
// file cannot be opened. Reports a malformed file on standard error.
void read_scenario(const char* path, Scenario& into);
// Starts a new run from the file named by simulation.scenario_path.
void reset_simulation();
// Starts a new run from the values already in scenario, made sound first; label
// names their source in the messages about unusable values.
void start_run(const char* label);

// ---------------------------------------------------------------------------
// Motion
// ---------------------------------------------------------------------------

// Radial acceleration: trois Omega^2 x + 2 Omega yp + f.
double accel_x(double x, double y, double z, double xp, double yp, double zp, double f);
// Along-track acceleration: -2 Omega xp + f.
double accel_y(double x, double y, double z, double xp, double yp, double zp, double f);
// Out-of-plane acceleration: -Omega^2 z + f.
double accel_z(double x, double y, double z, double xp, double yp, double zp, double f);
// Advances one interval in sub-steps of dt, clears the thrust, updates the trail.
void step_simulation();
// Idle callback: unless paused, steps on every pace-th call.
void idle_tick();

// ---------------------------------------------------------------------------
// Piloting and verdict
// ---------------------------------------------------------------------------

// Applies a thrust key (GLUT special-key code); returns false for other keys.
bool fire_thruster(int key);
// What a thrust key asks for: its axis (0 x, 1 y, 2 z) and the signed thrust
// acceleration of a press of p; false, nothing written, for other keys.
bool key_thrust(int key, double p, int* axis, double* thrust);
// The fuel gauge's cut-off: a reserve below 0 becomes 0 and p becomes 0.0.
void cut_off_fuel();
// The chaser's speed, (xp^2 + yp^2 + zp^2)^0.5, as the verdict and the panel use it.
double chaser_speed(double xp, double yp, double zp);
// Takes the verdict for the chaser's position and velocity.
void judge_outcome(double x, double y, double z, double xp, double yp, double zp);
// The verdict for a position and velocity under the given limits: what
// judge_outcome records, without touching the simulation.
Outcome decide_outcome(double x, double y, double z, double xp, double yp, double zp,
                       const VerdictLimits& limits);
// Records a verdict as judge_outcome does: a contact freezes the run (interval
// 0.0); outcome_none changes nothing.
void record_outcome(Outcome decided);

#endif
