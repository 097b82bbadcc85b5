#!/usr/bin/python3
"""Draws an Orvanel Labo run record (runs/*.csv) as one figure for a lab report.

Usage: tools/plot_run.py RUN.csv [-o OUT.png|OUT.pdf|OUT.svg]
The figure goes next to the record, with the same name and .png, unless -o names it.

Left: the path in the orbital plane (y along the orbit across, x radial up, the
planet below), the target and its docking port, a marker at each press coloured
by its axis, and after each burst of presses the coast the chaser would fly
without another (dashed). Right: the distance to the port and the speed over
time, with the docking speed limit. The title names the case by its title (else
its file) and gives the verdict, or says that the record is unfinished.

The record is read in one pass, keeping only what is drawn and thinning long
runs, so that memory stays small whatever its length. A missing or malformed
record, or a missing Python module, is reported in one French line on standard
error with exit status 1; a figure drawn is named, with its verdict, in one line
on standard output. Runs with Debian's python3-matplotlib, without a display.
"""

import argparse
import importlib
import math
import sys
from array import array
from pathlib import Path

# The record's columns, by the name before the unit (src/labo/run_record.h).
NUMBER_COLUMNS = ["temps", "x", "y", "z", "xp", "yp", "zp", "fx", "fy", "fz",
                  "carburant", "distance_port", "vitesse"]
VERDICT_COLUMN = "verdict"
VERDICT_NAMES = {"en_cours": "en cours", "collision": "collision", "trop_vite": "trop vite",
                 "arrime": "arrimé", "perdu": "perdu"}
# The closing verdict of a record the program had to stop (a full disk).
UNFINISHED_WORD = "inacheve"
# What is read of each row: the drawn columns, and the thrust and state of presses.
DRAWN_COLUMNS = ["temps", "x", "y", "distance_port", "vitesse"]
STATE_COLUMNS = ["x", "y", "z", "xp", "yp", "zp"]
READ_COLUMNS = ["temps", "x", "y", "z", "xp", "yp", "zp", "fx", "fy", "fz", "distance_port",
                "vitesse"]

# A long run is thinned to at most twice this many rows drawn (a figure is
# about 2000 pixels wide), and keeps at most this many presses.
MAX_POINTS = 20000
MAX_PRESSES = 5000
# A value farther than this (ul, ul/ut) is not drawn: a run is lost at 100, and
# a value like 1e308 would overflow the axes' arithmetic.
FAR_AWAY = 1e9
# Presses closer than this in time (time units) make one burst, with one coast.
BURST_GAP = 2.0

# Python modules the figure needs, with the Debian package holding each.
REQUIRED_MODULES = [("matplotlib", "python3-matplotlib"), ("numpy", "python3-numpy")]

# The target's contact box and port (src/sim/simulation.h), and the classic limit
# used when a record does not state its own.
CONTACT_HALF_LENGTH = 1.5
CONTACT_HALF_WIDTH = 0.4
PORT_Y = -1.5
DEFAULT_SPEED_LIMIT = 0.12
LOSS_RADIUS = 100.0

# A coast covers one orbit, within these limits (src/labo/prediction.h).
STILL_HORIZON = 40.0
LONGEST_HORIZON = 250.0
COAST_STEPS = 500  # fourth-order Runge-Kutta steps of one predicted coast

AXIS_COLOURS = {"x": "tab:red", "y": "tab:green", "z": "tab:blue"}
FIGURE_SIZE = (13.0, 6.5)  # inches
FIGURE_DPI = 150
FIGURE_SUFFIXES = (".png", ".pdf", ".svg")


class RecordError(Exception):
    """Why a file is not a run record; the message is shown as it is."""


def french(value):
    """A number with a decimal comma, as the panel writes it."""
    return f"{value:g}".replace(".", ",")


def missing_module():
    """The one line saying what is missing to draw, or None when all is there."""
    for module, package in REQUIRED_MODULES:
        try:
            importlib.import_module(module)
        except ImportError:
            return (f"{module} manque pour dessiner la figure : "
                    f"installez-le avec « apt install {package} »")
    return None


class Rows:
    """The drawn columns of a record, thinned to at most 2 * MAX_POINTS rows (one
    kept in `stride`, the stride doubling as the run grows), and every press
    with the state it left (at most MAX_PRESSES)."""

    def __init__(self):
        self.columns = {name: array("d") for name in DRAWN_COLUMNS}
        self.stride = 1
        self.seen = 0
        self.last = None  # the last row read, kept so that the end is always drawn
        self.presses = []  # (t, axis, [x, y, z, xp, yp, zp])

    def add(self, values, thrust):
        if any(thrust) and len(self.presses) < MAX_PRESSES:
            axis = max(range(3), key=lambda k: abs(thrust[k]))
            state = [values[c] for c in STATE_COLUMNS]
            self.presses.append((values["temps"], "xyz"[axis], state))
        if self.seen % self.stride == 0:
            for name, column in self.columns.items():
                column.append(values[name])
            self.last = None
            if len(self.columns["temps"]) >= 2 * MAX_POINTS:
                for column in self.columns.values():
                    del column[1::2]
                self.stride *= 2
        else:
            self.last = values
        self.seen += 1

    def finish(self):
        if self.last is not None:
            for name, column in self.columns.items():
                column.append(self.last[name])
            self.last = None

    def __getitem__(self, name):
        return self.columns[name]


def read_header(line, number):
    columns = [name.split(" (")[0].strip() for name in line.rstrip("\n").split(",")]
    missing = [c for c in NUMBER_COLUMNS + [VERDICT_COLUMN] if c not in columns]
    if missing:
        raise RecordError(f"ligne {number} : colonnes manquantes : {', '.join(missing)}")
    return {name: columns.index(name) for name in NUMBER_COLUMNS + [VERDICT_COLUMN]}


def read_row(line, number, places, width):
    """The drawn values of one row and its thrust; RecordError when it is not a
    whole row."""
    fields = line.rstrip("\n").split(",")
    if len(fields) != width:
        raise RecordError(f"ligne {number} : {len(fields)} colonnes au lieu de {width}")
    if fields[places[VERDICT_COLUMN]].strip() not in VERDICT_NAMES:
        raise RecordError(f"ligne {number} : verdict inconnu « {fields[places[VERDICT_COLUMN]]} »")
    values = {}
    for name in READ_COLUMNS:
        text = fields[places[name]]
        try:
            value = float(text)
        except ValueError:
            raise RecordError(f"ligne {number} : « {text} » n'est pas un nombre ({name})")
        if not math.isfinite(value):
            raise RecordError(f"ligne {number} : « {text} » n'est pas un nombre fini ({name})")
        values[name] = value if abs(value) <= FAR_AWAY else math.nan
    return values, (values["fx"], values["fy"], values["fz"])


def read_record(path):
    """The record's comments (a dict), its drawn rows (Rows) and whether it was
    cut short (a row cut at its end, or no closing line); RecordError when the
    file is not a run record. One pass; memory bounded whatever the length."""
    record = Path(path)
    if not record.exists():
        raise RecordError("fichier introuvable")
    if not record.is_file():  # a FIFO would block the read, a directory fail it
        raise RecordError("ce n'est pas un fichier ordinaire")
    comments, places, width, rows = {}, None, 0, Rows()
    cut = None  # the error of a row that did not end well; only the end may follow
    try:
        with record.open(encoding="utf-8", newline="\n") as lines:
            for number, line in enumerate(lines, start=1):
                whole = line.endswith("\n")
                if line.startswith("#"):
                    key, _, value = line[1:].strip().partition(":")
                    if whole:
                        comments[key.strip()] = value.strip()
                    continue
                if not line.strip():
                    continue
                if cut is not None:
                    raise cut  # a row after a cut one: not a record to trust
                if places is None:
                    places = read_header(line, number)
                    width = len(line.split(","))
                    continue
                try:
                    values, thrust = read_row(line, number, places, width)
                    if not whole:
                        raise RecordError(f"ligne {number} : ligne coupée")
                except RecordError as error:
                    cut = error
                    continue
                rows.add(values, thrust)
    except UnicodeDecodeError:
        raise RecordError("ce n'est pas du texte UTF-8 : est-ce bien un relevé ?")
    except OSError as error:
        raise RecordError(f"illisible ({error.strerror})")
    if places is None:
        raise RecordError("pas de ligne de colonnes : ce n'est pas un relevé d'Orvanel Labo")
    rows.finish()
    if not rows["temps"]:
        raise cut if cut is not None else RecordError("aucune ligne de mesure")
    return comments, rows, cut is not None


def comment_number(comments, key, default):
    try:
        value = float(comments.get(key, ""))
    except ValueError:
        return default
    return value if math.isfinite(value) else default


def horizon(omega):
    if omega == 0.0:
        return STILL_HORIZON
    return min(2.0 * math.pi / abs(omega), LONGEST_HORIZON)


def predicted_coasts(starts, omega, trois):
    """The coasts (no thrust) from each start state (x, y, z, xp, yp, zp), all
    integrated together by fourth-order Runge-Kutta over one orbit: an array
    (steps + 1, starts, 6)."""
    import numpy as np

    def rates(s):
        x, z, xp, yp, zp = s[:, 0], s[:, 2], s[:, 3], s[:, 4], s[:, 5]
        return np.stack([xp, yp, zp,
                         trois * omega * omega * x + 2.0 * omega * yp,
                         -2.0 * omega * xp,
                         -omega * omega * z], axis=1)

    h = horizon(omega) / COAST_STEPS
    state = np.array(starts, dtype=float)
    path = [state]
    for _ in range(COAST_STEPS):
        k1 = rates(state)
        k2 = rates(state + 0.5 * h * k1)
        k3 = rates(state + 0.5 * h * k2)
        k4 = rates(state + h * k3)
        state = state + h / 6.0 * (k1 + 2.0 * k2 + 2.0 * k3 + k4)
        path.append(state)
    return np.array(path)


def bursts(rows):
    """The presses in bursts, presses less than BURST_GAP apart making one:
    a list of lists of (t, axis, state)."""
    grouped = []
    for press in rows.presses:
        if grouped and press[0] - grouped[-1][-1][0] <= BURST_GAP:
            grouped[-1].append(press)
        else:
            grouped.append([press])
    return grouped


def draw_plane(ax, comments, rows, grouped):
    from matplotlib.patches import Rectangle

    path_y, path_x = list(rows["y"]), list(rows["x"])
    if "X0" in comments and "Y0" in comments:
        start = (comment_number(comments, "Y0", path_y[0]), comment_number(comments, "X0", path_x[0]))
        path_y.insert(0, start[0])
        path_x.insert(0, start[1])
    ax.plot(path_y, path_x, color="black", linewidth=1.4, label="trajectoire")
    ax.plot(path_y[0], path_x[0], "o", color="black", markerfacecolor="white", label="départ")
    ax.add_patch(Rectangle((-CONTACT_HALF_LENGTH, -CONTACT_HALF_WIDTH), 2 * CONTACT_HALF_LENGTH,
                           2 * CONTACT_HALF_WIDTH, facecolor="0.75", edgecolor="0.3",
                           label="cible"))
    ax.plot(PORT_Y, 0.0, "D", color="darkorange", label="port d'arrimage")

    if grouped:
        omega = comment_number(comments, "Omega", 0.0)
        trois = comment_number(comments, "trois", 3.0)
        # One coast per burst, from the state its last press left.
        coasts = predicted_coasts([burst[-1][2] for burst in grouped], omega, trois)
        shown = set()
        for k, burst in enumerate(grouped):
            coast = coasts[:, k, :]
            inside = (coast[:, 0] ** 2 + coast[:, 1] ** 2 + coast[:, 2] ** 2) <= LOSS_RADIUS ** 2
            end = len(inside) if inside.all() else max(int(inside.argmin()), 1)
            ax.plot(coast[:end, 1], coast[:end, 0], "--", color=AXIS_COLOURS[burst[-1][1]],
                    linewidth=0.9, alpha=0.6,
                    label="trajet prévu après une série de poussées" if k == 0 else None)
            for _, axis, state in burst:
                ax.plot(state[1], state[0], "o", color=AXIS_COLOURS[axis], markersize=6,
                        label=None if axis in shown else f"poussée selon {axis}")
                shown.add(axis)

    ax.set_xlabel("y (le long de l'orbite, ul)")
    ax.set_ylabel("x (radial, ul)")
    ax.axis("equal")  # lengths true on both axes; the limits stretch to fit
    ax.grid(True, linewidth=0.3)
    # Straight down in the axes, whatever the zoom: the planet is towards -x.
    ax.annotate("", xy=(0.05, 0.04), xytext=(0.05, 0.2), xycoords="axes fraction",
                textcoords="axes fraction", arrowprops={"arrowstyle": "->", "color": "0.3"})
    ax.text(0.07, 0.12, "vers la planète (−x)", transform=ax.transAxes, fontsize=9,
            va="center", color="0.3")
    ax.legend(loc="upper right", fontsize=8)
    ax.set_title("Plan de l'orbite")


def draw_times(ax_distance, ax_speed, comments, rows):
    t = rows["temps"]
    style = {"marker": "." if len(t) == 1 else None}
    ax_distance.plot(t, rows["distance_port"], color="black", **style)
    ax_distance.set_ylabel("distance au port (ul)")
    limit = comment_number(comments, "vitesse_max", DEFAULT_SPEED_LIMIT)
    ax_speed.plot(t, rows["vitesse"], color="black", label="vitesse", **style)
    ax_speed.axhline(limit, color="tab:red", linestyle="--",
                     label=f"limite d'arrimage {french(limit)}")
    ax_speed.set_ylabel("vitesse (ul/ut)")
    ax_speed.set_xlabel("temps (ut)")
    ax_speed.legend(loc="upper right", fontsize=8)
    for ax in (ax_distance, ax_speed):
        ax.set_ylim(bottom=0.0)
        for time, axis, _ in rows.presses:
            ax.axvline(time, color=AXIS_COLOURS[axis], linewidth=0.6, alpha=0.5)
        ax.grid(True, linewidth=0.3)
    ax_distance.set_title("Distance et vitesse (traits de couleur : poussées)")


def verdict_line(comments, cut):
    """The verdict, or that the record is unfinished and why: a closing line
    marked unfinished, a row cut at the end, or no closing line at all."""
    word, _, reason = comments.get("verdict", "").partition(";")
    word, reason = word.strip(), reason.strip()
    if word == UNFINISHED_WORD:
        return "Relevé inachevé" + (f" ({reason})" if reason else "")
    if cut or word not in VERDICT_NAMES:
        return "Relevé inachevé (coupé avant sa ligne de fin)"
    return f"Verdict : {VERDICT_NAMES[word]}" + (f" — {reason}" if reason else "")


def draw(comments, rows, cut, output):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    import numpy as np

    figure = plt.figure(figsize=FIGURE_SIZE)
    axes = figure.subplot_mosaic([["plan", "distance"], ["plan", "vitesse"]],
                                 width_ratios=(1.3, 1.0))
    axes["vitesse"].sharex(axes["distance"])
    # A run flung far (1e308) overflows its coasts: those points are dropped
    # by the drawing, without a warning for each.
    with np.errstate(over="ignore", invalid="ignore"):
        draw_plane(axes["plan"], comments, rows, bursts(rows))
    draw_times(axes["distance"], axes["vitesse"], comments, rows)
    # The case by its title, else by its file's name.
    heading = comments.get("titre", "") or comments.get("scenario", "") or "Orvanel Labo"
    omega = comment_number(comments, "Omega", 0.0)
    verdict = verdict_line(comments, cut)
    figure.suptitle(f"{heading} (Omega {french(omega)})\n{verdict}")
    figure.tight_layout()
    figure.savefig(output, dpi=FIGURE_DPI)
    plt.close(figure)
    return verdict


def main():
    parser = argparse.ArgumentParser(description="Dessine un relevé d'Orvanel Labo.")
    parser.add_argument("record", help="le relevé (CSV) d'un vol")
    parser.add_argument("-o", "--output", help="la figure (.png, .pdf ou .svg)")
    args = parser.parse_args()
    output = Path(args.output) if args.output else Path(args.record).with_suffix(".png")
    try:
        if output.suffix.lower() not in FIGURE_SUFFIXES:
            raise RecordError(f"« {output} » : format inconnu (.png, .pdf ou .svg)")
        missing = missing_module()
        if missing is not None:
            raise RecordError(missing)
        comments, rows, cut = read_record(args.record)
        try:
            verdict = draw(comments, rows, cut, output)
        except OSError as error:
            raise RecordError(f"« {output} » ne peut pas être écrit ({error.strerror})")
        except (ArithmeticError, ValueError) as error:
            raise RecordError(f"figure impossible à dessiner ({error})")
    except RecordError as error:
        print(f"plot_run.py : {args.record} : {error}", file=sys.stderr)
        return 1
    print(f"{output} : {verdict}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
