package probe;

public class SecondaryInt {
    public static void main(String[] args) {}

    public static int secondaryMain(String[] args) {
        System.out.println("secondary int " + String.join("|", args));
        if (args.length > 0 && args[0].equals("throw")) throw new IllegalStateException("no document");
        return -5 - args.length;
    }
}
