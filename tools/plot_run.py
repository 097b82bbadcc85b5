#!/usr/bin/python3
"""Draws an Orvanel Labo run record (runs/*.csv) as one figure for a lab report.

Usage: tools/plot_run.py RUN.csv [-o OUT.png|OUT.pdf|OUT.svg]
The figure goes next to the record, with the same name and .png, unless -o names it.

Left: the path in the orbital plane (y along the orbit across, x radial up, the
planet below), the target and its docking port, a marker at each press coloured
by its axis, and after each press the coast the chaser would fly without another
(dashed). Right: the distance to the port and the speed over time, with the
docking speed limit. The title holds the scenario, its title and the verdict.

A missing or malformed record is refused with one line on standard error and
exit status 1. Runs with Debian's python3-matplotlib, without a display.
"""

import argparse
import math
import sys
from pathlib import Path

# The record's columns, by the name before the unit (src/labo/run_record.h).
NUMBER_COLUMNS = ["temps", "x", "y", "z", "xp", "yp", "zp", "fx", "fy", "fz",
                  "carburant", "distance_port", "vitesse"]
VERDICT_COLUMN = "verdict"
VERDICT_NAMES = {"en_cours": "en cours", "collision": "collision", "trop_vite": "trop vite",
                 "arrime": "arrimé", "perdu": "perdu"}

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


def read_record(path):
    """The record's comments (a dict), its rows (a dict of column lists) and the
    verdict line's text; RecordError when the file is not a run record."""
    record = Path(path)
    if not record.exists():
        raise RecordError("fichier introuvable")
    if not record.is_file():  # a FIFO would block the read, a directory fail it
        raise RecordError("ce n'est pas un fichier ordinaire")
    try:
        lines = record.read_text(encoding="utf-8").splitlines()
    except UnicodeDecodeError:
        raise RecordError("ce n'est pas du texte UTF-8 : est-ce bien un relevé ?")
    except OSError as error:
        raise RecordError(f"illisible ({error.strerror})")
    comments, columns, rows = {}, None, {}
    for number, line in enumerate(lines, start=1):
        if line.startswith("#"):
            key, _, value = line[1:].strip().partition(":")
            comments[key.strip()] = value.strip()
        elif columns is None:
            columns = [name.split(" (")[0].strip() for name in line.split(",")]
            missing = [c for c in NUMBER_COLUMNS + [VERDICT_COLUMN] if c not in columns]
            if missing:
                raise RecordError(f"ligne {number} : colonnes manquantes : {', '.join(missing)}")
            rows = {c: [] for c in columns}
        elif line.strip():
            read_row(line, number, columns, rows)
    if columns is None:
        raise RecordError("pas de ligne de colonnes : ce n'est pas un relevé d'Orvanel Labo")
    if not rows["temps"]:
        raise RecordError("aucune ligne de mesure")
    return comments, rows


def read_row(line, number, columns, rows):
    fields = line.split(",")
    if len(fields) != len(columns):
        raise RecordError(f"ligne {number} : {len(fields)} colonnes au lieu de {len(columns)}")
    for name, text in zip(columns, fields):
        if name in NUMBER_COLUMNS:
            try:
                value = float(text)
            except ValueError:
                raise RecordError(f"ligne {number} : « {text} » n'est pas un nombre ({name})")
            if not math.isfinite(value):
                raise RecordError(f"ligne {number} : « {text} » n'est pas un nombre fini ({name})")
            rows[name].append(value)
        else:
            rows[name].append(text.strip())


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


def presses(rows):
    """(row index, axis) of every step that applied thrust, the axis being the
    largest component."""
    found = []
    for i, thrust in enumerate(zip(rows["fx"], rows["fy"], rows["fz"])):
        if any(thrust):
            axis = max(range(3), key=lambda k: abs(thrust[k]))
            found.append((i, "xyz"[axis]))
    return found


def draw_plane(ax, comments, rows, pressed):
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

    if pressed:
        omega = comment_number(comments, "Omega", 0.0)
        trois = comment_number(comments, "trois", 3.0)
        starts = [[rows[c][i] for c in ("x", "y", "z", "xp", "yp", "zp")] for i, _ in pressed]
        coasts = predicted_coasts(starts, omega, trois)
        shown = set()
        for k, (i, axis) in enumerate(pressed):
            coast = coasts[:, k, :]
            inside = (coast[:, 0] ** 2 + coast[:, 1] ** 2 + coast[:, 2] ** 2) <= LOSS_RADIUS ** 2
            end = len(inside) if inside.all() else max(int(inside.argmin()), 1)
            ax.plot(coast[:end, 1], coast[:end, 0], "--", color=AXIS_COLOURS[axis],
                    linewidth=0.9, alpha=0.6,
                    label="trajet prévu sans autre poussée" if k == 0 else None)
            ax.plot(rows["y"][i], rows["x"][i], "o", color=AXIS_COLOURS[axis], markersize=6,
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


def draw_times(ax_distance, ax_speed, comments, rows, pressed):
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
        for i, axis in pressed:
            ax.axvline(t[i], color=AXIS_COLOURS[axis], linewidth=0.6, alpha=0.5)
        ax.grid(True, linewidth=0.3)
    ax_distance.set_title("Distance et vitesse (traits de couleur : poussées)")


def verdict_line(comments, rows):
    if "verdict" in comments:
        word, _, reason = comments["verdict"].partition(";")
        shown = VERDICT_NAMES.get(word.strip(), word.strip())
        return f"Verdict : {shown}" + (f" — {reason.strip()}" if reason.strip() else "")
    last = rows[VERDICT_COLUMN][-1]
    return f"Verdict : {VERDICT_NAMES.get(last, last)} (relevé interrompu)"


def draw(comments, rows, output):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    pressed = presses(rows)
    figure = plt.figure(figsize=FIGURE_SIZE)
    axes = figure.subplot_mosaic([["plan", "distance"], ["plan", "vitesse"]],
                                 width_ratios=(1.3, 1.0))
    axes["vitesse"].sharex(axes["distance"])
    draw_plane(axes["plan"], comments, rows, pressed)
    draw_times(axes["distance"], axes["vitesse"], comments, rows, pressed)
    name = comments.get("scenario", "")
    title = comments.get("titre", "")
    heading = " — ".join(part for part in (name, title) if part) or "Orvanel Labo"
    omega = comment_number(comments, "Omega", 0.0)
    figure.suptitle(f"{heading} (Omega {french(omega)})\n{verdict_line(comments, rows)}")
    figure.tight_layout()
    figure.savefig(output, dpi=FIGURE_DPI)
    plt.close(figure)


def main():
    parser = argparse.ArgumentParser(description="Dessine un relevé d'Orvanel Labo.")
    parser.add_argument("record", help="le relevé (CSV) d'un vol")
    parser.add_argument("-o", "--output", help="la figure (.png, .pdf ou .svg)")
    args = parser.parse_args()
    output = Path(args.output) if args.output else Path(args.record).with_suffix(".png")
    try:
        if output.suffix.lower() not in FIGURE_SUFFIXES:
            raise RecordError(f"« {output} » : format inconnu (.png, .pdf ou .svg)")
        comments, rows = read_record(args.record)
        try:
            draw(comments, rows, output)
        except OSError as error:
            raise RecordError(f"« {output} » ne peut pas être écrit ({error.strerror})")
    except RecordError as error:
        print(f"plot_run.py : {args.record} : {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
