"""What the packaging checks share: collecting failures and reporting them."""

failures = []


def expect(cond, what):
    if not cond:
        failures.append(what)


def report(success):
    """Prints every failure, or the success line; returns the exit status."""
    for f in failures:
        print("FAIL:", f)
    if not failures:
        print(success)
    return 1 if failures else 0
